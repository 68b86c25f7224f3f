# User commands made through the command list dialog (scripted answers) and
# `zentrella command`: saved in the command file, offered to the host at its
# next start, and run with their options and output file.
require "e2e_support"

class TestUserCommands < E2E::Case
  GREET = <<~RUBY
    puts "hello \#{ARGV.join(' ')}"
  RUBY

  def test_a_command_added_in_the_list_is_offered_after_a_restart_and_runs_its_script
    write_script("tools/greet.rb", GREET)
    FileUtils.mkdir_p(File.join(script_folder, "out"))
    answers("add", "number=10", "script=tools/greet.rb", "options=--loud", "output=out/greet.txt", "type=2",
            "ok", "ok", "yes")
    host_ok("command", "edit")
    assert_includes prompts.map { |p| p[:answer] }, "yes", "the restart question was asked"
    assert_equal "10\tgreet\ttools/greet.rb\t--loud\tout/greet.txt\n", host_ok("command", "list").out

    commands = host_ok("commands").out.lines(chomp: true)
    assert_includes commands, "10\tScriptlink_ExtCommand10\tgreet\t10\t2"
    host_ok("exec", "10")
    assert_equal "hello --loud\n", File.read(File.join(script_folder, "out", "greet.txt"))
  end

  def test_a_cancelled_list_and_a_cancelled_restart_question_change_nothing_until_ok
    write_command_file(command_record(number: 10, script: "a.rb"), command_record(number: 12, script: "b.rb"))
    before = File.binread(File.join(user_folder, "Scriptlink.cmd"))
    answers("delete 10", "add", "script=c.rb", "ok", "cancel")
    host_ok("command", "edit")
    assert_equal before, File.binread(File.join(user_folder, "Scriptlink.cmd"))

    # Added as 11 (the lowest free number), then listed by number; the second
    # OK answers the restart question.
    answers("add", "script=c.rb", "ok", "ok", "cancel", "ok", "yes")
    host_ok("command", "edit")
    assert_equal %w[10 11 12], host_ok("command", "list").out.lines.map { |l| l.split("\t").first }
  end

  def test_the_command_line_adds_lists_and_removes_user_commands
    write_script("report.rb", GREET)
    assert_equal "10\n", host_ok("command", "add", "report.rb", "--caption", "週報", "--options", "-a b").out
    assert_equal "11\n", host_ok("command", "add", File.join(script_folder, "report.rb"), "--icon", "none").out
    assert_equal "10\t週報\treport.rb\t-a b\t\n11\treport\treport.rb\t\t\n", host_ok("command", "list").out.force_encoding("UTF-8")
    assert_includes host_ok("commands").out.lines(chomp: true), "11\tScriptlink_ExtCommand11\treport\t-1\t0"

    refused = host("command", "add", "report.rb", "--number", "10")
    refute refused.ok?
    assert_match(/10/, refused.err)
    refute host("command", "remove", "12").ok?
    host_ok("command", "remove", "10")
    assert_equal "11\treport\treport.rb\t\t\n", host_ok("command", "list").out
  end

  def test_the_list_escapes_control_characters_of_the_file
    write_command_file(command_record(number: 10, caption: "\e[2Jred", script: "a\tb.rb"))
    assert_equal "10\t\\x1b[2Jred\ta\\x09b.rb\t\t\n", host_ok("command", "list").out
  end

  # What the command list's restart question does to a running host.
  def test_the_close_command_ends_a_station_after_the_script_with_its_projects_saved
    station = start_station
    script = external(<<~RUBY)
      require "ztl"
      Ztl.ztl_exec_command("NewTask", "before closing")
      Ztl.ztl_exec_command("Close")
      puts "script ran on"
    RUBY
    assert script.ok?, script.describe
    assert_equal "script ran on\n", script.out
    ended = finish(station)
    assert ended.ok?, ended.describe
    titles = []
    each_saved_item { |item| titles << item["title"] }
    assert_includes titles, "before closing"
  end

  def test_the_terminal_says_the_dialogs_need_a_desktop
    write_command_file(command_record(number: 10, script: "a.rb"))
    before = File.binread(File.join(user_folder, "Scriptlink.cmd"))
    result = host_ok("command", "edit", host_options: ["--ui", "terminal"], env: { "ZTL_PROMPT_ANSWERS" => nil })
    assert_includes result.err.force_encoding("UTF-8"), "デスクトップ"
    assert_includes result.err, "zentrella command"
    assert_equal before, File.binread(File.join(user_folder, "Scriptlink.cmd"))
  end
end
