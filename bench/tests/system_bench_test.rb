# frozen_string_literal: true

# The system driver's own pieces: the scripts it generates and how it runs,
# times and checks whole processes.
require "minitest/autorun"
require "open3"
require "tmpdir"
require_relative "../scripts/system_bench"
require_relative "../scripts/items_bench"

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

  def test_the_item_scripts_are_valid_ruby_and_count_their_requests
    tree = ItemsBench.tree_script
    memory = ItemsBench.memory_script
    [tree, memory].each do |text|
      _, status = Open3.capture2e(RbConfig.ruby, "-c", write("s.rb", text))
      assert status.success?, text
      assert_includes text, "require \"ztl\""
    end
    assert_equal 10_000, ItemsBench::TREE_ITEMS
    # The bracket's two requests, then an add and a title for every item.
    assert_includes tree, "build_requests = 2 + 100 * 2 * (1 + 99)"
    assert_includes tree, "ztl_begin_update"
    assert_includes tree, "10000.times { Ztl.ztl_version }"
    assert_includes memory, "[100000, 1000000].each"
  end

  def test_the_item_driver_reads_its_scripts_lines
    text = "noise\nbuild 0.5 20002\nwalk 0.25 60006\nrss 100000 4096 15000\n"
    assert_equal [%w[build 0.5 20002]], ItemsBench.parse_lines(text, "build")
    assert_equal [%w[rss 100000 4096 15000]], ItemsBench.parse_lines(text, "rss")
    assert_empty ItemsBench.parse_lines(text, "nothing")
  end

  def test_item_targets_print_pass_or_fail
    out, = capture_io do
      ItemsBench.print_target("      = 1.31x Ztl.ztl_version per call", false, "<= 1.30x")
      ItemsBench.print_target("      = +0.08% growth", true, "< 5%")
    end
    assert_match(/1\.31x Ztl\.ztl_version per call +target <= 1\.30x  FAIL\n/, out)
    assert_match(/\+0\.08% growth +target < 5%  PASS\n/, out)
  end

  def test_the_item_project_file_gives_every_item_the_two_categories
    project = JSON.parse(File.read(ItemsBench.project_file(File.join(@dir, "p.json"))))
    assert_equal "zentrella-projects", project["format"]
    assert_equal ItemsBench::CATEGORIES, project["projects"].first["categories"].map { |c| c["name"] }
  end

  def test_the_item_driver_prints_not_available_and_succeeds_without_a_stage
    driver = File.expand_path("../scripts/items_bench.rb", __dir__)
    out, status = Open3.capture2(RbConfig.ruby, driver, "--stage", File.join(@dir, "nothing"), "--quick")
    assert status.success?
    assert_equal 2, out.scan("not available yet (missing: zentrella, Scriptlink.so, ruby/ztl.so)").size
    assert_includes out, "(f) a 10000-item tree"
    assert_includes out, "(g) resident size after 100,000 and 1,000,000 item requests"
  end
end
