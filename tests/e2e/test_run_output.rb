# One script run from `zentrella run` to delivered output: which script is
# run, where its output goes, and that nothing of it is lost.
require "e2e_support"

class TestRunOutput < E2E::Case
  REPORT = <<~RUBY
    require "ztl"
    include Ztl
    puts "ztl_version=\#{ztl_version}"
    puts "ruby_ztl_version=\#{ruby_ztl_version}"
    puts "ztl_user_folder=\#{ztl_user_folder}"
    puts "ztl_projects=\#{ztl_projects.size}"
  RUBY

  def expected_report
    host_version, plugin_version = printed_versions
    "ztl_version=#{host_version}\nruby_ztl_version=#{plugin_version}\n" \
      "ztl_user_folder=#{user_folder}\nztl_projects=#{sample_projects.size}\n"
  end

  def test_console_run_prints_the_hosts_answers_on_the_hosts_output
    write_script("report.rb", REPORT)
    expected = expected_report
    assert_equal 10_000, printed_versions.last, "plug-in version 1.0.0.x travels as 10000"
    result = host_ok("run", "report.rb")
    assert_equal expected, result.out
    assert_nil clipboard
  end

  def test_captured_output_goes_to_the_clipboard_or_the_file_never_both
    write_script("report.rb", REPORT)
    expected = expected_report
    host_ok("run", "report.rb", "--clipboard")
    assert_equal expected, clipboard

    File.delete(clipboard_file)
    out = scratch("out.txt")
    host_ok("run", "report.rb", "--output", out)
    assert_equal expected, File.binread(out)
    assert_nil clipboard

    File.delete(out)
    result = host_ok("run", "report.rb", "--output", out, "--clipboard")
    assert_equal expected, clipboard
    refute File.exist?(out), "with the clipboard chosen the output file is not written"
    assert_equal "", result.out, "a captured run prints nothing of the script's"
    assert_empty shell_opened
  end

  def test_star_output_names_temp_in_the_user_folder_and_opens_it
    write_script("hello.rb", "puts 'hello'\n")
    host_ok("run", "hello.rb", "--output", "*.txt")
    temp_txt = File.join(user_folder, "Temp.txt")
    assert_equal "hello\n", File.binread(temp_txt)
    assert_equal [temp_txt], shell_opened

    host_ok("run", "hello.rb", "--output", "*")
    temp = File.join(user_folder, "Temp")
    assert_equal "hello\n", File.binread(temp)
    assert_equal [temp_txt, temp], shell_opened
  end

  def test_an_existing_output_file_is_replaced_not_appended_to
    write_script("hello.rb", "puts 'short'\n")
    out = scratch("out.txt")
    File.write(out, "a much longer earlier content\n" * 10)
    host_ok("run", "hello.rb", "--output", out)
    assert_equal "short\n", File.binread(out)
  end

  def test_a_bare_name_runs_from_the_script_folder_and_a_full_path_as_given
    write_script("where.rb", "puts 'from the script folder'\n")
    elsewhere = write_script("where.rb", "puts 'from elsewhere'\n", folder: scratch("elsewhere"))
    host_ok("run", "where.rb", "--clipboard")
    assert_equal "from the script folder\n", clipboard
    host_ok("run", elsewhere, "--clipboard")
    assert_equal "from elsewhere\n", clipboard
  end

  def test_options_reach_the_script_as_arguments
    write_script("args.rb", "p ARGV\n")
    host_ok("run", "args.rb", "--options", "one \"two words\"", "--clipboard")
    assert_equal %(["one", "two words"]\n), clipboard
  end

  def test_an_output_file_that_cannot_be_made_is_reported
    write_script("hello.rb", "puts 'hello'\n")
    answers("ok")
    result = host("run", "hello.rb", "--output", scratch("no-such-folder/out.txt"))
    refute File.exist?(scratch("no-such-folder"))
    assert_equal 1, prompts.size, result.describe
    refute_empty prompt_texts.first
  end

  def test_a_missing_script_is_reported_and_starts_nothing
    answers("ok")
    host("run", "absent.rb", "--clipboard")
    assert_equal ["Script not found\\n#{script_folder}absent.rb"], prompt_texts
    assert_nil clipboard
  end

  # 100 000 bytes in one write: more than one pipe read, more than the pipe
  # holds; the bytes are kept as they are.
  def test_a_large_single_write_arrives_whole
    write_script("big.rb", <<~RUBY)
      $stdout.write((0...100_000).map { |i| (97 + i % 26).chr }.join)
      $stdout.write("\\0\\r\\n\\xFF<end>")
    RUBY
    out = scratch("big.txt")
    host_ok("run", "big.rb", "--output", out)
    expected = (0...100_000).map { |i| (97 + i % 26).chr }.join + "\0\r\n\xFF<end>".b
    assert_equal expected.bytesize, File.size(out)
    assert_equal expected, File.binread(out)
  end

  def test_standard_error_is_captured_with_the_output
    write_script("warns.rb", "$stdout.sync = true\nputs 'out'\n$stderr.puts 'err'\n")
    host_ok("run", "warns.rb", "--clipboard")
    assert_equal "out\nerr\n", clipboard
  end

  # A user command's paths are kept relative to the script folder, which is
  # also the interpreter's working folder.
  def test_user_commands_run_from_the_script_folder_with_their_own_settings
    write_script("cmd.rb", "puts Dir.pwd\nputs ARGV.join(',')\n")
    write_command_file(command_record(number: 10, script: "cmd.rb", output: "cmd-out.txt", options: "a b"),
                       command_record(number: 11, script: "cmd.rb", output: "unused.txt", clipboard: true))
    host_ok("exec", "10")
    assert_equal "#{script_folder.chomp('/')}\na,b\n", File.binread(File.join(script_folder, "cmd-out.txt"))
    assert_nil clipboard
    host_ok("exec", "11")
    assert_equal "#{script_folder.chomp('/')}\n\n", clipboard
    refute File.exist?(File.join(script_folder, "unused.txt"))
  end

  def test_an_unknown_user_command_starts_nothing
    write_command_file(command_record(number: 10, script: "cmd.rb", clipboard: true))
    write_script("cmd.rb", "puts 'ran'\n")
    result = host("exec", "12")
    assert_equal 1, result.status.exitstatus, result.describe
    assert_includes result.err, "no command 12"
    assert_nil clipboard
  end

  # The arguments of the script's interpreter line reach the interpreter in
  # both forms of the command line; ruby -s turns -flag into $flag.
  def test_interpreter_line_arguments_reach_the_interpreter
    write_script("switch.rb", "#! ruby -s\np $flag\n")
    assert_equal "true\n", host_ok("run", "switch.rb", "--options", "-flag").out
    host_ok("run", "switch.rb", "--options", "-flag", "--clipboard")
    assert_equal "true\n", clipboard
    write_script("env.rb", "#!/usr/bin/env ruby\nputs 'named interpreter'\n")
    host_ok("run", "env.rb", "--clipboard")
    assert_equal "named interpreter\n", clipboard
  end

  # Hidden but not captured: the script runs and talks to the host, its output
  # is delivered nowhere, and the run can still be cancelled.
  def test_a_hidden_run_delivers_nothing_and_can_be_cancelled
    ready = scratch("ready")
    write_script("hidden.rb", <<~RUBY)
      require "ztl"
      puts "not shown"
      File.write(#{ready.inspect}, Ztl.ztl_version.to_s)
      sleep 30
    RUBY
    version = printed_versions.first
    run = start_host("run", "hidden.rb", "--hide-console")
    wait_until("the script to talk to the host") { File.exist?(ready) && !File.read(ready).empty? }
    assert_equal version.to_s, File.read(ready)
    run.signal(:INT)
    result = finish(run)
    assert_equal 130, result.status.exitstatus, "a cancelled run is status 130\n#{result.describe}"
    assert_equal "", result.out
    assert_nil clipboard
    assert_empty shell_opened
  end
end
