# Loading ztl: each way the connection can fail prints its line and raises
# Ztl::Error; an external script is taken by a station.
require "fake_host"

class TestConnect < Minitest::Test
  include FakeHostSupport

  LOAD = <<~RUBY
    begin
      require "ztl"
      puts "loaded"
    rescue Ztl::Error => e
      puts "ERR \#{e.class}: \#{e.message}"
      p Ztl.respond_to?(:ztl_current_item)
    end
  RUBY

  def load_in(namespace)
    out, err, status = run_script(LOAD, namespace: namespace, require_ztl: false)
    assert status.success?, err
    out
  end

  def test_no_host_at_all
    assert_equal "Can't connect to Zentrella[0]\nERR Ztl::Error: Can't connect to Zentrella[0]\nfalse\n",
                 load_in(new_namespace)
  end

  def test_a_station_that_does_not_answer
    host = fake_host(mode: "silent-station")
    assert_equal "Can't connect to Zentrella[1]\nERR Ztl::Error: Can't connect to Zentrella[1]\nfalse\n",
                 load_in(host.namespace)
  end

  def test_a_stale_channel_number
    host = fake_host(mode: "stale")
    assert_equal "Can't connect to Zentrella[2]\nERR Ztl::Error: Can't connect to Zentrella[2]\nfalse\n",
                 load_in(host.namespace)
  end

  def test_an_external_script_is_taken_by_the_station
    host = fake_host(mode: "station", replies: ["words 31002"])
    out = run_ok("show { ztl_version }\nshow { Process.pid }", host)
    version, pid = out.lines(chomp: true)
    assert_equal "31002", version
    assert_includes host.log_lines, "external #{pid}"
  end

  def load_with_channel(namespace, value)
    out, err, status = run_script(LOAD + "p Ztl.ztl_version if defined?(Ztl.ztl_version)\n", namespace: namespace,
                                  require_ztl: false, env: { "ZTL_CHANNEL" => value })
    assert status.success?, err
    out
  end

  # Another host announced its channel last; the host that started the script
  # named its own.
  def test_the_channel_the_host_named_wins_over_the_announcement
    host = fake_host(mode: "channel", number: 4242, replies: ["words 31002"])
    fake_host(namespace: host.namespace, mode: "stale", number: 9999)
    assert_equal "loaded\n31002\n", load_with_channel(host.namespace, "4242")
    assert_equal 1, host.requests.size
  end

  def test_a_named_channel_that_is_gone_is_a_connect_error
    host = fake_host(mode: "channel", number: 4242)
    assert_equal "Can't connect to Zentrella[2]\nERR Ztl::Error: Can't connect to Zentrella[2]\nfalse\n",
                 load_with_channel(host.namespace, "4343")
    assert_empty host.requests
  end

  # Not quietly the announced channel: that may belong to another host.
  def test_a_named_channel_that_is_no_channel_number_is_a_connect_error
    host = fake_host(mode: "channel", number: 4242)
    line = "Can't connect to Zentrella: ZTL_CHANNEL holds no channel number"
    ["", "abc", "0", "-4242", "+4242", "4242x", " 4242", "99999999999", "2147483648"].each do |value|
      assert_equal "#{line}\nERR Ztl::Error: #{line}\nfalse\n", load_with_channel(host.namespace, value),
                   value.inspect
    end
    assert_empty host.requests
  end
end
