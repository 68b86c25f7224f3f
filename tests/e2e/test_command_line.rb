# The host's command line as a shell sees it: the exit status of a run, the
# one line that says a captured run failed, missing scripts, `exec` of no
# command, arguments after `--`, `tree`, `--select` and `--trace`.
require "e2e_support"

class TestCommandLine < E2E::Case
  def project_file = scratch("small.json")

  def write_small_project
    File.write(project_file, JSON.generate(
      "format" => "zentrella-projects", "version" => 1,
      "projects" => [{ "kind" => "project", "title" => "Work", "children" => [
        { "kind" => "folder", "title" => "Release", "children" => [
          { "kind" => "task", "title" => "Write notes", "progress" => 40,
            "dates" => { "due" => "2024-04-30T17:00:00" } },
          { "kind" => "task", "title" => "Tag" }
        ] }
      ] }]
    ))
  end

  def small(*arguments, host_options: []) = host(*arguments, host_options: ["--project", project_file, *host_options])

  def test_a_captured_run_exits_with_the_scripts_status_and_says_where_its_output_went
    write_script("fails.rb", "puts 'partial'\nexit 3\n")
    out = scratch("out.txt")
    result = host("run", "fails.rb", "--output", out)
    assert_equal 3, result.status.exitstatus, result.describe
    assert_equal "partial\n", File.binread(out)
    assert_equal "zentrella: fails.rb failed with status 3; its output is in #{out}\n", result.err

    # Not captured, the output is on the terminal: no line, the status all the same.
    result = host("run", "fails.rb")
    assert_equal 3, result.status.exitstatus, result.describe
    assert_equal "partial\n", result.out
    assert_empty result.err
  end

  def test_a_script_ended_by_a_signal_exits_with_128_and_the_signal
    { "KILL" => 137, "TERM" => 143 }.each do |signal, status|
      write_script("dies.rb", "$stdout.sync = true\nputs 'before'\nProcess.kill(:#{signal}, Process.pid)\nsleep 5\n")
      result = host("run", "dies.rb", "--clipboard")
      assert_equal status, result.status.exitstatus, result.describe
      assert_equal "before\n", clipboard
      assert_includes result.err, "dies.rb was ended by signal #{Signal.list[signal]} (status #{status}); " \
                                  "its output is on the clipboard"
    end
  end

  def test_a_missing_script_is_status_1_naming_the_paths_tried
    answers("ok", "ok")
    result = host("run", "absent")
    assert_equal 1, result.status.exitstatus, result.describe
    assert_includes result.err, "script not found: looked for #{script_folder}absent and #{script_folder}absent.rb"
    assert_equal "Script not found\\n#{script_folder}absent\\n#{script_folder}absent.rb", prompt_texts.first

    result = host("run", "absent.rb")
    assert_equal 1, result.status.exitstatus, result.describe
    assert_includes result.err, "looked for #{script_folder}absent.rb\n"

    # A bare name finds NAME.rb of the script folder.
    write_script("present.rb", "puts 'found'\n")
    result = host_ok("run", "present")
    assert_equal "found\n", result.out
  end

  def test_a_cancelled_run_exits_130
    ready = scratch("ready")
    write_script("sleeps.rb", "$stdout.sync = true\nputs 'started'\nFile.write(#{ready.inspect}, 'x')\nsleep 30\n")
    out = scratch("out.txt")
    run = start_host("run", "sleeps.rb", "--output", out)
    wait_for_file(ready)
    run.signal(:INT)
    result = finish(run)
    assert_equal 130, result.status.exitstatus, result.describe
    assert_equal "started\n", File.binread(out)
    assert_includes result.err, "the script was cancelled; its output is in #{out}"
  end

  def test_undeliverable_output_names_the_file_that_keeps_it
    answers("ok")
    write_script("two.rb", "puts 'kept'\n")
    result = host("run", "two.rb", "--output", scratch("no-such-folder/out.txt"))
    assert_equal 1, result.status.exitstatus, result.describe
    kept = Dir.glob(File.join(user_folder, "Scriptlink-output-*.txt"))
    assert_equal 1, kept.size
    assert_equal "kept\n", File.binread(kept.first)
    assert_includes result.err, "two.rb succeeded, but its output could not be delivered and is kept in #{kept.first}\n"
  end

  def test_clipboard_with_output_says_the_file_is_not_written
    write_script("hi.rb", "puts 'hi'\n")
    out = scratch("out.txt")
    result = host_ok("run", "hi.rb", "--clipboard", "--output=#{out}")
    assert_includes result.err, "--clipboard takes the output; #{out} is not written"
    assert_equal "hi\n", clipboard
    refute File.exist?(out)
  end

  def test_exec_of_no_command_is_status_1_and_a_user_command_gives_its_scripts_status
    result = host("exec", "77")
    assert_equal 1, result.status.exitstatus, result.describe
    assert_includes result.err, "no command 77"
    write_script("seven.rb", "exit 7\n")
    write_command_file(command_record(number: 10, script: "seven.rb"))
    assert_equal 7, host("exec", "10").status.exitstatus
  end

  def test_arguments_after_the_double_dash_reach_the_script_verbatim
    write_script("args.rb", "print ARGV.inspect\n")
    out = scratch("args.txt")
    host_ok("run", "args.rb", "--output", out, "--", "--output", "two words", "", "say \"hi\"", "-x")
    assert_equal ["--output", "two words", "", "say \"hi\"", "-x"].inspect, File.read(out)
  end

  def test_tree_shows_what_a_script_added
    write_small_project
    assert_equal "project  Work\n  folder  Release\n    task  Write notes  40%  due 2024-04-30 17:00\n" \
                 "    task  Tag  0%\n", small("tree").out
    write_script("adds.rb", <<~RUBY)
      require "ztl"
      release = Ztl.ztl_projects.first.first_child
      task = release.add_task
      task.title = "Announce"
      task.progress = 100
    RUBY
    assert small("run", "adds.rb").ok?
    assert_equal "project  Work\n  folder  Release\n    task  Write notes  40%  due 2024-04-30 17:00\n" \
                 "    task  Tag  0%\n    task  Announce  100%\n", small("tree").out
  end

  def test_select_makes_the_item_current_for_the_run
    write_small_project
    write_script("current.rb", "require 'ztl'\nprint Ztl.ztl_current_item&.title.inspect\n")
    out = scratch("current.txt")
    result = small("run", "current.rb", "--output", out, host_options: ["--select", "Work/Release/Tag"])
    assert result.ok?, result.describe
    assert_equal '"Tag"', File.read(out)
    # The choice is kept in the project file and survives a restart.
    assert_equal({ "folder" => [0, 0], "item" => [0, 0, 1] }, JSON.parse(File.read(project_file))["current"])
    assert small("run", "current.rb", "--output", out).ok?
    assert_equal '"Tag"', File.read(out)

    # A stale entry (the file edited meanwhile) is ignored.
    saved = JSON.parse(File.read(project_file))
    File.write(project_file, JSON.generate(saved.merge("current" => { "folder" => [0, 7], "item" => "x" })))
    assert small("run", "current.rb", "--output", out).ok?
    assert_equal "nil", File.read(out)

    result = small("run", "current.rb", host_options: ["--select", "Work/Tag"])
    assert_equal 1, result.status.exitstatus
    assert_includes result.err, "--select: no item has the path \"Work/Tag\""
  end

  def test_trace_writes_a_line_per_request_and_a_summary
    write_script("asks.rb", "require 'ztl'\n3.times { Ztl.ztl_user_folder }\nZtl.ztl_version\np ENV['ZTL_TRACE']\n")
    trace = scratch("trace.txt")
    result = host_ok("run", "asks.rb", host_options: ["--trace", trace])
    assert_equal "nil\n", result.out, "a host the script starts must not take over the trace"
    lines = File.read(trace).lines
    requests = lines.grep(/\A\d\d:\d\d:\d\d\.\d{6} code /)
    assert_equal 3, requests.count { |l| l.include?(" code 77 USER_FOLDER ") }, lines.join
    assert_match(/ code 77 USER_FOLDER handle 0 payload 0 reply \d+ us \d+\n\z/, requests.first)
    assert_includes lines, "summary: code name count total_us mean_us\n"
    assert lines.any? { |l| l.start_with?("summary 77 USER_FOLDER count 3 total_us ") }, lines.join

    # ZTL_TRACE does what --trace does.
    by_variable = scratch("by-variable.txt")
    host_ok("run", "asks.rb", env: { "ZTL_TRACE" => by_variable })
    assert_equal 3, File.read(by_variable).lines.count { |l| l.include?(" code 77 USER_FOLDER ") }

    ran = scratch("ran")
    write_script("never.rb", "File.write(#{ran.inspect}, 'x')\n")
    result = host("run", "never.rb", host_options: ["--trace", scratch("no-such-folder/trace.txt")])
    assert_equal 1, result.status.exitstatus
    assert_includes result.err, "cannot write the trace file #{scratch('no-such-folder/trace.txt')}"
    refute File.exist?(ran), "nothing runs"
  end

  def test_help_and_version
    assert_includes host_ok("help", "run").out, "usage: zentrella [OPTION]... run SCRIPT"
    assert_equal host_ok("run", "--help").out, host_ok("help", "run").out
    assert_equal host_ok("version").out, host_ok("--version").out
  end
end
