# Captured output that its target refuses is kept in a file of the user folder
# whose path the user is told, and the run fails; output a left-behind process
# could still write after the drain is reported as not captured.
require "e2e_support"

class TestDeliveryFailures < E2E::Case
  OUTPUT = "first line\nsecond line\n"

  def setup
    super
    write_script("two.rb", "print #{OUTPUT.inspect}\n")
  end

  def kept_files = Dir.glob(File.join(user_folder, "Scriptlink-output-*.txt")).sort

  # The run failed, the output is in one kept file, and the one box names
  # the target and that file.
  def assert_kept(result, target)
    refute result.ok?, "a refused delivery fails the run\n#{result.describe}"
    assert_equal 1, kept_files.size, kept_files.inspect
    kept = kept_files.first
    assert_match(/\/Scriptlink-output-\d{8}-1\.txt\z/, kept)
    assert_equal OUTPUT, File.binread(kept)
    assert_equal 1, prompts.size, prompts.inspect
    text = prompt_texts.first
    assert_includes text, target
    assert_includes text, "「#{kept}」に保存しました"
  end

  def test_a_missing_folder_keeps_the_output_and_fails_the_run
    answers("ok")
    target = scratch("no-such-folder/out.txt")
    assert_kept(host("run", "two.rb", "--output", target), "出力ファイル「#{target}」")
    refute File.exist?(scratch("no-such-folder"))
  end

  def test_a_folder_that_is_a_file_keeps_the_output
    answers("ok")
    File.write(scratch("plain"), "not a folder")
    target = scratch("plain/out.txt")
    assert_kept(host("run", "two.rb", "--output", target), target)
    assert_equal "not a folder", File.read(scratch("plain"))
  end

  def test_a_directory_in_place_of_the_file_keeps_the_output
    answers("ok")
    target = scratch("folder.txt")
    Dir.mkdir(target)
    assert_kept(host("run", "two.rb", "--output", target), target)
    assert File.directory?(target)
  end

  def test_a_read_only_folder_keeps_the_output
    skip "root writes into a read-only folder" if Process.euid.zero?
    answers("ok")
    folder = scratch("read-only")
    Dir.mkdir(folder, 0o555)
    target = File.join(folder, "out.txt")
    assert_kept(host("run", "two.rb", "--output", target), target)
  end

  def test_an_unwritable_clipboard_keeps_the_output
    answers("ok")
    File.write(scratch("plain"), "not a folder")
    result = host("run", "two.rb", "--clipboard", env: { "ZTL_CLIPBOARD_FILE" => scratch("plain/clipboard") })
    assert_kept(result, "クリップボード")
  end

  # A device is written in place, never replaced; a full one refuses the bytes.
  def test_a_full_disk_keeps_the_output_and_leaves_the_device
    skip "no /dev/full here" unless File.chardev?("/dev/full")
    answers("ok")
    assert_kept(host("run", "two.rb", "--output", "/dev/full"), "/dev/full")
    assert File.chardev?("/dev/full"), "the device was replaced"
  end

  def test_each_refusal_keeps_a_file_of_its_own
    answers("ok", "ok")
    target = scratch("no-such-folder/out.txt")
    host("run", "two.rb", "--output", target)
    write_script("two.rb", "print 'again'\n")
    refute host("run", "two.rb", "--output", target).ok?
    assert_equal 2, kept_files.size
    assert_equal [OUTPUT, "again"], kept_files.sort_by { |f| f[/-(\d+)\.txt\z/, 1].to_i }.map { |f| File.binread(f) }
  end

  def test_a_delivered_run_keeps_nothing_and_succeeds
    out = scratch("out.txt")
    host_ok("run", "two.rb", "--output", out)
    assert_equal OUTPUT, File.binread(out)
    assert_empty kept_files
    assert_empty prompts
  end

  # The background writer holds the script's output past the drain's second
  # of silence; what it writes then cannot be captured, and the run says so.
  def test_output_a_left_behind_process_may_still_write_is_reported
    answers("ok")
    write_script("leaves.rb", <<~RUBY)
      $stdout.sync = true
      puts "captured"
      Process.detach(spawn("sh", "-c", "sleep 2; echo late"))
    RUBY
    out = scratch("out.txt")
    result = host("run", "leaves.rb", "--output", out)
    assert result.ok?, result.describe
    assert_equal "captured\n", File.binread(out)
    assert_equal ["スクリプトが残したプロセスが出力をまだ保持しています。スクリプトの終了後の出力は取り込まれません。"],
                 prompt_texts
  end
end
