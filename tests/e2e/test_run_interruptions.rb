# A run that is interrupted: another command or script while it is active
# (the busy question), help during it, the wait form's cancel (Ctrl-C), and a
# script that dies in the middle of a long request.
require "e2e_support"

class TestRunInterruptions < E2E::Case
  SIXTEEN_MIB = 16 * 1024 * 1024

  def setup
    super
    @second_ran = scratch("second-ran")
    write_script("second.rb", "File.write(#{@second_ran.inspect}, 'yes')\n")
    write_command_file(command_record(number: 10, script: "second.rb", clipboard: true))
  end

  # Asks the host to run another command from inside the run, then goes on.
  def write_first_script(command)
    write_script("first.rb", <<~RUBY)
      $stdout.sync = true
      require "ztl"
      puts "before"
      puts "answered \#{Ztl.ztl_exec_command(#{command.inspect}).inspect}"
      puts "after"
    RUBY
  end

  def busy_prompt(answer) = { caption: prompts.first&.fetch(:caption), text: E2E::BUSY_QUESTION, answer: answer }

  def test_yes_to_the_busy_question_kills_the_run_and_delivers_what_it_wrote
    write_first_script("Scriptlink_ExtCommand10")
    answers("yes")
    out = scratch("out.txt")
    first = host("run", "first.rb", "--output", out)
    assert_equal 130, first.status.exitstatus, "the user ended the script: a cancel\n#{first.describe}"
    assert_equal "before\n", File.binread(out)
    assert_equal [busy_prompt("yes")], prompts
    refute File.exist?(@second_ran), "the second command is not started"

    write_script("hello.rb", "puts 'hello'\n")
    host_ok("run", "hello.rb", "--output", out)
    assert_equal "hello\n", File.binread(out)
  end

  def test_cancel_to_the_busy_question_leaves_the_run_untouched
    write_first_script("Scriptlink_ExtCommand10")
    answers("cancel")
    out = scratch("out.txt")
    host_ok("run", "first.rb", "--output", out)
    assert_equal "before\nanswered true\nafter\n", File.binread(out)
    assert_equal [busy_prompt("cancel")], prompts
    refute File.exist?(@second_ran)
  end

  def test_help_opens_while_a_run_is_active
    write_first_script("Scriptlink_Help")
    out = scratch("out.txt")
    host_ok("run", "first.rb", "--output", out)
    assert_equal "before\nanswered true\nafter\n", File.binread(out)
    assert_equal [File.join(E2E::STAGE, "Help", "First.html")], shell_opened
    assert_empty prompts
  end

  # While a run is active its channel is announced: a script started outside
  # joins it, and the two take turns request by request.
  def test_an_external_script_during_a_run_shares_its_channel
    ready = scratch("ready")
    done = scratch("done")
    checks = <<~RUBY
      def check(rounds_left)
        bad = 0
        rounds = 0
        while rounds_left.call(rounds)
          bad += 1 unless Ztl.ztl_user_folder == #{user_folder.inspect}
          bad += 1 unless Ztl.ztl_projects.size == #{sample_projects.size}
          bad += 1 unless Ztl.ztl_exec_command("x", "y" * 20_000)
          rounds += 1
        end
        [rounds, bad]
      end
    RUBY
    write_script("shares.rb", <<~RUBY)
      require "ztl"
      #{checks}
      File.write(#{ready.inspect}, "x")
      deadline = Time.now + 6
      rounds, bad = check(->(_) { !File.exist?(#{done.inspect}) && Time.now < deadline })
      puts "run: \#{bad} wrong of \#{rounds > 0 ? 'some' : 'none'}"
    RUBY
    out = scratch("out.txt")
    run = start_host("run", "shares.rb", "--output", out)
    wait_for_file(ready, "the run to start")
    joined = external(<<~RUBY)
      require "ztl"
      #{checks}
      rounds, bad = check(->(n) { n < 300 })
      File.write(#{done.inspect}, "x")
      puts "external: \#{bad} wrong of \#{rounds}"
    RUBY
    assert_equal "external: 0 wrong of 300\n", joined.out, joined.describe
    assert finish(run).ok?, run.err
    assert_equal "run: 0 wrong of some\n", File.binread(out)
    assert_empty prompts
  end

  # A station keeps its busy flag right: after the busy question killed one
  # script, the next one is served.
  def test_a_station_serves_again_after_the_busy_question_killed_a_script
    version = printed_versions.first
    answers("yes")
    start_station
    killed = external(<<~RUBY)
      $stdout.sync = true
      require "ztl"
      puts "connected"
      Ztl.ztl_exec_command("Scriptlink_ExtCommand10")
      puts "survived"
    RUBY
    assert_equal "connected\n", killed.out, killed.describe
    assert_equal [busy_prompt("yes")], prompts
    served = external("require 'ztl'\np Ztl.ztl_version\n")
    assert_equal "#{version}\n", served.out, served.describe
    refute File.exist?(@second_ran)
  end

  def test_ctrl_c_cancels_a_captured_run_and_delivers_its_output
    ready = scratch("ready")
    write_script("sleeps.rb", <<~RUBY)
      $stdout.sync = true
      puts "started"
      File.write(#{ready.inspect}, Process.pid.to_s)
      sleep 30
      puts "not reached"
    RUBY
    out = scratch("out.txt")
    run = start_host("run", "sleeps.rb", "--output", out)
    wait_until("the script to start") { File.exist?(ready) && !File.read(ready).empty? }
    script_pid = Integer(File.read(ready))
    run.signal(:INT)
    result = finish(run)
    assert_equal 130, result.status.exitstatus, "a cancelled run is status 130\n#{result.describe}"
    assert_equal "started\n", File.binread(out)
    wait_until("the script to be gone") { !process_alive?(script_pid) }
  end

  def test_a_script_that_dies_inside_a_long_request_ends_its_run
    write_script("dies.rb", <<~RUBY)
      $stdout.sync = true
      require "ztl"
      puts "partial"
      me = Process.pid
      fork { sleep 0.1; Process.kill(:KILL, me); exit! }
      payload = "a" * #{SIXTEEN_MIB}
      loop { Ztl.ztl_exec_command("x", payload) }
    RUBY
    out = scratch("out.txt")
    answers("ok") # the run may tell that the script ended mid-exchange
    result = host("run", "dies.rb", "--output", out)
    assert_equal 137, result.status.exitstatus, "SIGKILL ended the script\n#{result.describe}"
    assert_equal "partial\n", File.binread(out)
    assert_empty prompts.reject { |p| p[:text] == "スクリプトがやり取りの途中で終了しました\\n#{script_folder}dies.rb" }

    write_script("hello.rb", "require 'ztl'\nputs Ztl.ztl_version\n")
    host_ok("run", "hello.rb", "--output", out)
    assert_equal "#{printed_versions.first}\n", File.binread(out)
  end

  def process_alive?(pid)
    Process.kill(0, pid)
    !File.read("/proc/#{pid}/stat").split[2].start_with?("Z")
  rescue Errno::ESRCH, Errno::ENOENT
    false
  end
end
