# Scripts started outside the host: the handshake with a station, and what
# happens when either side dies in the middle of a long message.
require "e2e_support"

class TestExternalScripts < E2E::Case
  SIXTEEN_MIB = 16 * 1024 * 1024

  # Sends long host commands until it is stopped; tells when it is connected.
  def flood(ready_file)
    <<~RUBY
      require "ztl"
      payload = "a" * #{SIXTEEN_MIB}
      File.write(#{ready_file.inspect}, "connected")
      begin
        loop { Ztl.ztl_exec_command("x", payload) }
      rescue Ztl::Error => e
        puts "Ztl::Error: \#{e.message}"
        exit 3
      end
    RUBY
  end

  def assert_station_serves(version)
    result = external(VERSION)
    assert_equal "#{version}\n", result.out, result.describe
  end

  def test_a_station_serves_scripts_one_after_another
    version = printed_versions.first
    start_station
    assert_station_serves(version)
    result = external("require 'ztl'\nprint Ztl.ztl_user_folder, ' ', Ztl.ztl_projects.size\n")
    assert_equal "#{user_folder} #{sample_projects.size}", result.out, result.describe
    assert_station_serves(version)
  end

  def test_without_a_host_loading_fails_at_once
    result = external(VERSION)
    assert_equal "Can't connect to Zentrella[0]\nZtl::Error: Can't connect to Zentrella[0]\n", result.out
  end

  # Without a wait thread there are no wait events to knock at: the same
  # answer as no host at all, at once rather than after the handshake's wait.
  def test_a_host_that_is_not_a_station_is_no_host_to_a_script
    start_station(host_options: ["--no-station"])
    result = external(VERSION)
    assert_equal "Can't connect to Zentrella[0]\nZtl::Error: Can't connect to Zentrella[0]\n", result.out
  end

  # The script that gave up leaves its knock behind; the station must not
  # answer it in a way that the next script takes for its own answer.
  def test_a_station_that_cannot_answer_in_time_gives_a_connect_error
    version = printed_versions.first
    station = start_station
    station.signal(:STOP)
    result = external(VERSION)
    assert_equal "Can't connect to Zentrella[1]\nZtl::Error: Can't connect to Zentrella[1]\n", result.out
    station.signal(:CONT)
    sleep 0.3 # the station wakes to the knock of a script that has given up
    assert_station_serves(version)
  end

  def test_a_killed_station_leaves_nothing_that_makes_a_script_hang
    version = printed_versions.first
    station = start_station
    station.kill_group
    result = external(VERSION)
    assert_match(/\ACan't connect to Zentrella\[\d\]\nZtl::Error: Can't connect to Zentrella\[\d\]\n\z/, result.out)
    start_station
    assert_station_serves(version)
  end

  # The station dies while it serves a script: the announcement still names
  # its channel.
  def test_a_channel_left_announced_by_a_dead_station_is_a_connect_error
    station = start_station
    ready = scratch("ready")
    waiting = start_external("require 'ztl'\nFile.write(#{ready.inspect}, 'x')\nsleep 30\n")
    wait_for_file(ready)
    station.kill_group
    waiting.kill_group
    result = external(VERSION)
    assert_match(/\ACan't connect to Zentrella\[\d\]\nZtl::Error: Can't connect to Zentrella\[\d\]\n\z/, result.out)
  end

  def test_a_script_killed_inside_a_long_request_leaves_the_station_serving
    version = printed_versions.first
    answers("ok") # the station may tell that the script ended mid-exchange
    station = start_station
    ready = scratch("ready")
    flooding = start_external(flood(ready))
    wait_for_file(ready, "the script to connect")
    sleep 0.1
    flooding.signal(:KILL)
    refute_nil flooding.wait
    assert station.running?, station.err
    assert_station_serves(version)
    assert_empty prompts.reject { |p| p[:text] == "スクリプトがやり取りの途中で終了しました" }
  end

  def test_a_script_whose_station_dies_inside_a_long_request_gets_an_error
    station = start_station
    ready = scratch("ready")
    flooding = start_external(flood(ready))
    wait_for_file(ready, "the script to connect")
    sleep 0.1
    station.kill_group
    result = finish(flooding)
    assert_equal 3, result.status.exitstatus, result.describe
    assert_match(/\AZtl::Error: .+/, result.out)
  end
end
