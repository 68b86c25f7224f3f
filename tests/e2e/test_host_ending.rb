# A host asked to end ends in every state within a second, and a script it
# started never outlives it: SIGINT cancels the run (the console form too),
# SIGTERM ends the host cleanly and non-zero, SIGKILL takes the script along.
require "e2e_support"

class TestHostEnding < E2E::Case
  # Well above the second a host may take, well below a script's 30 s.
  PROMPTLY = 5.0

  def setup
    super
    @ready = scratch("ready")
  end

  # A script that tells its process id, prints a line and sleeps.
  def write_sleeper(name = "sleeps.rb")
    write_script(name, <<~RUBY)
      $stdout.sync = true
      puts "started"
      File.write(#{@ready.inspect} + ".tmp", Process.pid.to_s)
      File.rename(#{@ready.inspect} + ".tmp", #{@ready.inspect})
      sleep 30
      puts "not reached"
    RUBY
  end

  def script_pid
    wait_for_file(@ready, "the script to start")
    Integer(File.read(@ready))
  end

  def process_alive?(pid)
    !File.read("/proc/#{pid}/stat").split[2].start_with?("Z")
  rescue Errno::ENOENT
    false
  end

  def assert_gone(pid, what)
    wait_until(what, limit: PROMPTLY) { !process_alive?(pid) }
  end

  def test_sigterm_ends_a_console_run_and_the_host_fails
    write_sleeper
    run = start_host("run", "sleeps.rb")
    pid = script_pid
    run.signal(:TERM)
    result = finish(run, limit: PROMPTLY)
    refute result.ok?, result.describe
    assert_includes result.err, "terminated"
    assert_gone(pid, "the script to end with the run")
  end

  def test_sigint_cancels_a_console_run
    write_sleeper
    run = start_host("run", "sleeps.rb")
    pid = script_pid
    run.signal(:INT)
    result = finish(run, limit: PROMPTLY)
    assert_equal 130, result.status.exitstatus, "a cancelled run is status 130\n#{result.describe}"
    assert_equal "started\n", result.out
    assert_gone(pid, "the script to end with the run")
  end

  def test_sigterm_ends_a_captured_run_delivering_its_output
    write_sleeper
    out = scratch("out.txt")
    run = start_host("run", "sleeps.rb", "--output", out)
    pid = script_pid
    run.signal(:TERM)
    result = finish(run, limit: PROMPTLY)
    refute result.ok?, result.describe
    assert_equal "started\n", File.binread(out)
    assert_gone(pid, "the script to end with the run")
    assert_empty prompts
  end

  # The wait form's cancel (Ctrl-C) with a script whose requests never leave
  # the dispatcher 100 ms without one.
  def test_a_run_that_asks_every_50_ms_can_be_cancelled
    write_script("busy.rb", <<~RUBY)
      $stdout.sync = true
      require "ztl"
      puts "asking"
      File.write(#{@ready.inspect}, Process.pid.to_s)
      deadline = Time.now + 30
      while Time.now < deadline
        Ztl.ztl_version
        sleep 0.05
      end
      puts "not reached"
    RUBY
    out = scratch("out.txt")
    run = start_host("run", "busy.rb", "--output", out)
    pid = script_pid
    sleep 0.3
    run.signal(:INT)
    result = finish(run, limit: PROMPTLY)
    assert_equal 130, result.status.exitstatus, "a cancelled run is status 130\n#{result.describe}"
    assert_equal "asking\n", File.binread(out)
    assert_gone(pid, "the cancelled script to end")
  end

  # The client is stopped in the middle of its stream of 16-MiB requests: the
  # station waits inside an exchange for a client that neither sends nor dies.
  def test_a_station_waiting_on_a_stalled_client_ends_on_sigint
    station = start_station
    client = start_external(<<~RUBY)
      require "ztl"
      payload = "a" * (16 * 1024 * 1024)
      Ztl.ztl_version
      File.write(#{@ready.inspect}, Process.pid.to_s)
      loop { Ztl.ztl_exec_command("x", payload) }
    RUBY
    wait_for_file(@ready, "the client to connect")
    sleep 0.3
    client.signal(:STOP)
    sleep 0.3
    station.signal(:INT)
    result = finish(station, limit: PROMPTLY)
    assert result.ok?, result.describe
  ensure
    client&.signal(:CONT)
  end

  # The script has ended, but a process it left behind writes on without a
  # second's pause: the drain never falls silent, and the run still ends.
  def test_a_draining_run_with_a_chatty_leftover_can_be_cancelled_and_terminated
    write_script("chatty.rb", <<~RUBY)
      $stdout.sync = true
      puts "script"
      Process.detach(spawn("sh", "-c", "while :; do echo more; sleep 0.05; done"))
    RUBY
    %i[INT TERM].each do |signal|
      out = scratch("out-#{signal}.txt")
      run = start_host("run", "chatty.rb", "--output", out)
      sleep 1.5
      run.signal(signal)
      result = finish(run, limit: PROMPTLY)
      # Ctrl-C cancels the run (130); SIGTERM ends the host, which fails (1).
      assert_equal signal == :INT ? 130 : 1, result.status.exitstatus, result.describe
      assert File.binread(out).start_with?("script\nmore\n"), File.binread(out)[0, 100]
    end
    assert_empty prompts
  end

  def test_an_idle_station_ends_on_sigterm_and_fails
    station = start_station
    station.signal(:TERM)
    result = finish(station, limit: PROMPTLY)
    refute result.ok?, result.describe
  end

  def test_a_script_ends_when_its_host_is_killed_in_either_form
    [[], ["--output", scratch("out.txt")]].each do |capture|
      FileUtils.rm_f(@ready)
      write_sleeper
      run = start_host("run", "sleeps.rb", *capture)
      pid = script_pid
      run.signal(:KILL)
      finish(run, limit: PROMPTLY)
      assert_gone(pid, "the script of a killed host (#{capture.empty? ? 'console' : 'captured'}) to end")
    end
  end

  def test_objects_a_killed_host_left_are_swept_by_the_next
    write_sleeper
    run = start_host("run", "sleeps.rb", "--output", scratch("out.txt"))
    script_pid
    run.signal(:KILL)
    finish(run, limit: PROMPTLY)
    host_ok("version", host_options: ["--no-station"])
    assert_empty Dir.glob("/dev/shm/ztl+#{namespace}+*")
  end
end
