# The main window from the command line where no display answers: the host
# says so and fails, and without a command it is a usage error as before.
require "e2e_support"

class TestDesktopCommand < E2E::Case
  def test_desktop_without_a_display_fails_and_names_the_reason
    result = host("desktop", env: { "QT_QPA_PLATFORM" => nil })
    assert_equal 1, result.status.exitstatus, result.describe
    assert_match(/desktop: (no display answers|this host was built without the desktop)/, result.err)
  end

  def test_no_command_without_a_display_is_a_usage_error
    result = host(env: { "QT_QPA_PLATFORM" => nil })
    assert_equal 2, result.status.exitstatus, result.describe
    assert_includes result.err, "no command given"
  end
end
