# The main window from the command line: where no display answers the host
# says so and fails, and without a command it is a usage error as before; on
# Qt's offscreen platform the window serves external scripts as the station
# and saves what they changed before SIGTERM ends it.
require "e2e_support"

class TestDesktopCommand < E2E::Case
  def test_desktop_without_a_display_fails_and_names_the_reason
    result = host("desktop", env: { "QT_QPA_PLATFORM" => nil })
    assert_equal 1, result.status.exitstatus, result.describe
    assert_match(/desktop: (no display answers|this host was built without the desktop)/, result.err)
  end

  def test_the_window_serves_external_scripts_and_saves_before_it_ends
    window = start_host("desktop", env: { "QT_QPA_PLATFORM" => "offscreen" })
    # Ready when its station answers: an early script finds no station and fails.
    served = nil
    wait_until("the window to serve a script") do
      flunk "the window ended: #{window.err}" unless window.running?
      served = external("require 'ztl'\nZtl.ztl_exec_command('NewTask', '窓から')\n")
      served&.ok?
    end
    wait_until("the new task to be saved") do
      titles = []
      each_saved_item { |item| titles << item["title"] }
      titles.include?("窓から")
    end
    window.signal(:TERM)
    finished = window.wait
    refute_nil finished, "the window did not end on SIGTERM"
    assert_equal 1, finished.status.exitstatus, finished.describe
    assert_includes finished.err, "terminated"
  ensure
    window&.kill_group
  end

  def test_no_command_without_a_display_is_a_usage_error
    result = host(env: { "QT_QPA_PLATFORM" => nil })
    assert_equal 2, result.status.exitstatus, result.describe
    assert_includes result.err, "no command given"
  end
end
