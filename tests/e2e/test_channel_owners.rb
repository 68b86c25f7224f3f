# Which host a script reaches when several hosts of one user run in one
# namespace: a script started by a host reaches that host (and so do the
# scripts it starts), an external script reaches the station alone, and a
# second station is refused.
require "e2e_support"

class TestChannelOwners < E2E::Case
  def setup
    super
    @other_folder = File.join(@dir, "other") + "/"
    FileUtils.mkdir_p(@other_folder)
  end

  def start_other_host(*arguments) = start([E2E::ZENTRELLA, "--user-folder", @other_folder, *arguments])

  # Reports the host's user folder when `go` exists, then has a script of its
  # own report it too.
  def write_reporter(name, go)
    child = write_script("child-#{name}", "require 'ztl'\nputs \"child \#{Ztl.ztl_user_folder}\"\n", folder: @dir)
    write_script(name, <<~RUBY, folder: @dir)
      $stdout.sync = true
      sleep 0.01 until File.exist?(#{go.inspect})
      require "ztl"
      puts "script \#{Ztl.ztl_user_folder}"
      system(#{E2E::RUBY.inspect}, #{child.inspect}) or puts "child failed"
    RUBY
  end

  # A script that holds its host's channel until `done` exists.
  def write_holder(name, ready, done)
    write_script(name, <<~RUBY, folder: @dir)
      require "ztl"
      File.write(#{ready.inspect}, Ztl.ztl_user_folder)
      sleep 0.01 until File.exist?(#{done.inspect})
    RUBY
  end

  # The later host announced its channel over the earlier host's one; the
  # script of the earlier host must still reach its own host.
  def test_each_run_reaches_the_host_that_started_it
    go = scratch("go")
    ready = scratch("ready")
    done = scratch("done")
    out = scratch("first.txt")
    first = start_host("run", write_reporter("first.rb", go), "--output", out)
    sleep 0.3 # the first host has made its channel and started its script
    second = start_other_host("run", write_holder("holder.rb", ready, done), "--hide-console")
    wait_for_file(ready, "the second host's script")
    File.write(go, "x")
    finished = finish(first)
    assert finished.ok?, finished.describe
    File.write(done, "x")
    assert finish(second).ok?, second.err
    assert_equal "script #{user_folder}\nchild #{user_folder}\n", File.binread(out)
    assert_equal @other_folder, File.binread(ready)
  end

  def test_a_second_station_in_the_namespace_is_refused_and_the_first_serves_on
    version = printed_versions.first
    station = start_station
    refused = finish(start_other_host("station"))
    refute refused.ok?, refused.describe
    assert_equal 1, refused.status.exitstatus
    assert_match(/another host \(process #{station.pid}\) is the station of this namespace/, refused.err)
    result = external("require 'ztl'\nprint Ztl.ztl_version, ' ', Ztl.ztl_user_folder\n")
    assert_equal "#{version} #{user_folder}", result.out, result.describe
  end

  # A host that is not the station runs its own scripts and says it is not
  # the station; while it does, an external script still reaches the station.
  def test_an_external_script_reaches_the_station_while_another_host_runs_a_script
    start_station
    ready = scratch("ready")
    done = scratch("done")
    other = start_other_host("run", write_holder("holder.rb", ready, done), "--hide-console")
    wait_for_file(ready, "the other host's script")
    assert_equal @other_folder, File.binread(ready)
    result = external("require 'ztl'\nprint Ztl.ztl_user_folder\n")
    assert_equal user_folder, result.out, result.describe
    File.write(done, "x")
    finished = finish(other)
    assert finished.ok?, finished.describe
    assert_match(/is the station of this namespace; this one serves only the scripts it starts/, finished.err)
  end

  # The station's place is free again once it has ended.
  def test_a_station_that_ended_leaves_its_place_to_the_next
    version = printed_versions.first
    first = start_station
    first.signal(:INT)
    assert finish(first).ok?, first.err
    start_station
    assert_equal "#{version}\n", external("require 'ztl'\np Ztl.ztl_version\n").out
  end
end
