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
end
