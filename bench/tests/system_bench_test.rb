# frozen_string_literal: true

# The system driver's own pieces: the scripts it generates and how it runs,
# times and checks whole processes.
require "minitest/autorun"
require "open3"
require "tmpdir"
require_relative "../scripts/system_bench"

class SystemBenchTest < Minitest::Test
  def setup
    @dir = Dir.mktmpdir("ztl-bench-test")
  end

  def teardown
    FileUtils.rm_rf(@dir)
  end

  def write(name, text)
    File.join(@dir, name).tap { |path| File.write(path, text) }
  end

  def test_the_printing_script_prints_exactly_four_mebibytes_in_as_many_lines_as_requests
    script = write("prints.rb", SystemBench.request_script(with_requests: false, with_prints: true))
    out, status = Open3.capture2(RbConfig.ruby, script)
    assert status.success?
    assert_equal SystemBench::OUTPUT_BYTES, out.bytesize
    assert_equal SystemBench::REQUESTS, out.count("\n")
    refute_includes File.read(script), "ztl"
  end

  def test_the_request_scripts_are_valid_ruby_and_ask_the_host
    quiet = SystemBench.request_script(with_requests: true, with_prints: false)
    loud = SystemBench.request_script(with_requests: true, with_prints: true)
    loops = SystemBench::LOOPED.map { |function, check| SystemBench.loop_script(function, check) }
    [quiet, loud, *loops].each do |text|
      _, status = Open3.capture2e(RbConfig.ruby, "-c", write("s.rb", text))
      assert status.success?, text
      assert_includes text, "require \"ztl\""
    end
    refute_includes quiet, "print("
  end

  def test_median_of_odd_and_even_counts
    assert_equal 3, SystemBench.median([5, 1, 3])
    assert_in_delta 2.5, SystemBench.median([4, 1, 3, 2])
  end

  def test_a_timed_run_gives_seconds_and_keeps_the_output
    out = File.join(@dir, "out")
    seconds = SystemBench.timed_run([RbConfig.ruby, "-e", "print 'hi'"], out)
    assert_operator seconds, :>, 0
    assert_equal "hi", File.read(out)
  end

  def test_a_failing_run_is_reported_with_what_it_said
    error = assert_raises(SystemBench::RunFailed) do
      SystemBench.timed_run([RbConfig.ruby, "-e", "warn 'no channel'; exit 3"], File.join(@dir, "out"))
    end
    assert_match(/exit 3/, error.message)
    assert_match(/no channel/, error.message)
  end

  def test_output_sizes_are_checked
    path = write("out", "abc")
    SystemBench.check_size(path, 3)
    assert_raises(SystemBench::RunFailed) { SystemBench.check_size(path, 4) }
    SystemBench.check_size(File.join(@dir, "none"), 0)
    assert_raises(SystemBench::RunFailed) { SystemBench.check_size(File.join(@dir, "none"), 3) }
  end

  def test_a_stage_without_the_system_names_what_is_missing
    FileUtils.mkdir_p(File.join(@dir, "stage", "ruby"))
    File.write(File.join(@dir, "stage", "Scriptlink.so"), "")
    stage = Stage.new(File.join(@dir, "stage"), @dir)
    assert_equal "missing: zentrella, ruby/ztl.so", stage.missing
  end

  def test_the_driver_prints_not_available_and_succeeds_without_a_stage
    driver = File.expand_path("../scripts/system_bench.rb", __dir__)
    out, status = Open3.capture2(RbConfig.ruby, driver, "--stage", File.join(@dir, "nothing"), "--quick")
    assert status.success?
    assert_equal 3, out.scan("not available yet (missing: zentrella, Scriptlink.so, ruby/ztl.so)").size
  end
end
