# External scripts that meet a station at awkward moments: right after the
# script before them ended, back to back, overlapping, and stuck in a request
# to a station that does not answer. Each is served or refused; none hangs,
# and a stuck one still ends on the interpreter's signals.
require "e2e_support"

class TestStationRaces < E2E::Case
  CONNECT_ERROR = /\ACan't connect to Zentrella\[\d\]\nZtl::Error: Can't connect to Zentrella\[\d\]\n\z/

  def now = Process.clock_gettime(Process::CLOCK_MONOTONIC)

  # Started and waiting; it loads ztl the moment `go` exists, and asks again
  # after a pause in which the station has seen the script before it end.
  def start_waiting_external(go)
    start_external("sleep 0.001 until File.exist?(#{go.inspect})\n" + VERSION + "sleep 0.3\np Ztl.ztl_version\n")
  end

  # The next script loads ztl as the one before it ends.
  def test_a_script_started_as_the_one_before_ends_is_served
    version = printed_versions.first
    start_station
    5.times do |round|
      go = scratch("go-#{round}")
      second = start_waiting_external(go)
      first = external("require 'ztl'\np Ztl.ztl_version\nFile.write(#{go.inspect}, 'x')\nsleep 0.1\n")
      assert_equal "#{version}\n", first.out, first.describe
      finished = finish(second)
      assert_equal "#{version}\n#{version}\n", finished.out, "round #{round}: #{finished.describe}"
    end
  end

  def test_scripts_back_to_back_are_all_served_and_none_hangs
    version = printed_versions.first
    start_station
    outcomes = Hash.new(0)
    started = now
    200.times do
      result = external(VERSION)
      outcome = result.out == "#{version}\n" ? :served : result.out
      outcomes[outcome] += 1
    end
    assert_equal [:served], outcomes.keys, outcomes.inspect
    assert_operator now - started, :<, 120
  end

  # A script that joins the channel of another one is served until it ends,
  # however early the other one ends.
  def test_a_script_that_joins_a_running_one_is_served_to_its_end
    version = printed_versions.first
    start_station
    joined = scratch("joined")
    first = start_external(<<~RUBY)
      require "ztl"
      sleep 0.01 until File.exist?(#{joined.inspect})
      p Ztl.ztl_version
    RUBY
    second = start_external(<<~RUBY)
      require "ztl"
      File.write(#{joined.inspect}, "x")
      deadline = Time.now + 1.5
      rounds = 0
      while Time.now < deadline
        raise "wrong version" unless Ztl.ztl_version == #{version}
        rounds += 1
        sleep 0.3 # long enough for the station to look at the first one
      end
      puts "served \#{rounds > 0}"
    RUBY
    assert_equal "#{version}\n", finish(first).out
    finished = finish(second)
    assert_equal "served true\n", finished.out, finished.describe
  end

  def test_overlapping_scripts_are_all_served_or_refused
    version = printed_versions.first
    start_station
    scripts = Array.new(12) do |i|
      sleep 0.02 * (i % 3)
      start_external(VERSION + "sleep #{0.05 * (i % 4)}\np Ztl.ztl_version\n")
    end
    scripts.each do |script|
      finished = finish(script)
      assert finished.ok?, finished.describe
      assert_includes ["#{version}\n#{version}\n"], finished.out, finished.describe
    end
  end

  # Three scripts on the station's channel; the station stops, so one waits
  # for its reply and two for their turn. Each ends on its signal as Ruby
  # ends on it.
  def test_scripts_stuck_on_a_stopped_station_end_on_their_signals
    station = start_station
    go = scratch("go")
    stuck = %w[INT TERM QUIT].map do |name|
      ready = scratch("ready-#{name}")
      script = start_external(<<~RUBY)
        require "ztl"
        Ztl.ztl_version
        File.write(#{ready.inspect}, "x")
        sleep 0.01 until File.exist?(#{go.inspect})
        Ztl.ztl_version
        puts "answered"
      RUBY
      wait_for_file(ready, "script #{name} to connect")
      [name, script]
    end
    station.signal(:STOP)
    File.write(go, "x")
    sleep 0.5 # each is in its request now
    stuck.each do |name, script|
      script.signal(name)
      finished = finish(script, limit: 3)
      assert finished.status.signaled?, "#{name}: #{finished.describe}"
      assert_equal Signal.list.fetch(name), finished.status.termsig, "#{name}: #{finished.describe}"
      refute_includes finished.out, "answered"
    end
  ensure
    station&.signal(:CONT)
  end

  # A trap handler that returns leaves the cut-off request failed, and the
  # channel refuses later requests rather than reading stale frames.
  def test_a_script_that_survives_its_interrupt_gets_errors_not_stale_replies
    station = start_station
    ready = scratch("ready")
    go = scratch("go")
    script = start_external(<<~RUBY)
      $stdout.sync = true
      require "ztl"
      Ztl.ztl_version
      File.write(#{ready.inspect}, "x")
      sleep 0.01 until File.exist?(#{go.inspect})
      begin
        Ztl.ztl_version
      rescue Interrupt
        puts "interrupted"
      end
      begin
        Ztl.ztl_version
      rescue Ztl::Error => e
        puts "then: \#{e.message}"
      end
    RUBY
    wait_for_file(ready, "the script to connect")
    station.signal(:STOP)
    File.write(go, "x")
    sleep 0.5
    script.signal(:INT)
    finished = finish(script, limit: 3)
    assert finished.ok?, finished.describe
    assert_equal "interrupted\nthen: Connection to Zentrella is broken\n", finished.out
  ensure
    station&.signal(:CONT)
  end
end
