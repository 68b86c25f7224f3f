# ztl as a user installs it: the gem built from ztl.gemspec and installed into
# a gem home of its own (compiled there with mkmf against this Ruby, with its
# ri data), then a script started outside the host, with only that gem home,
# reaches a station.
require "e2e_support"
require "open3"
require "rbconfig"

class TestGemInstall < E2E::Case
  ROOT = File.expand_path("../..", __dir__)

  def tool(name)
    ENV.fetch("PATH", "").split(File::PATH_SEPARATOR).map { |dir| File.join(dir, name) }
       .find { |path| File.executable?(path) }
  end

  def gem_command
    [File.join(RbConfig::CONFIG["bindir"], "gem"), tool("gem")].compact.find { |path| File.executable?(path) }
  end

  # Tools run without the sanitizer runtime a sanitized test run preloads for
  # the instrumented extension: the compilers and rdoc do not need it.
  def run_tool(*command, chdir: ROOT, env: {})
    out, status = Open3.capture2e({ "LD_PRELOAD" => nil }.merge(env), *command, chdir: chdir)
    assert status.success?, "#{command.join(' ')} failed:\n#{out}"
    out
  end

  def build_and_install(gem)
    gem_file = scratch("ztl.gem")
    home = scratch("gems")
    run_tool(gem, "build", "ztl.gemspec", "--output", gem_file)
    run_tool(gem, "install", "--local", "--install-dir", home, "--no-user-install", "--document", "ri", gem_file,
             env: { "MAKEFLAGS" => "-j2", "GEM_HOME" => nil, "GEM_PATH" => nil })
    home
  end

  def test_the_installed_gem_reaches_a_station_and_carries_its_reference
    gem = gem_command
    skip "no gem command: the gem cannot be built here" unless gem
    skip "no C++ compiler: the gem cannot be built here" unless tool(RbConfig::CONFIG["CXX"].split.first)
    version = Gem::Specification.load(File.join(ROOT, "ztl.gemspec")).version.to_s
    home = build_and_install(gem)

    start_station
    # No RUBYLIB: the staged ztl.so must not be the one that answers.
    run = finish(start_external(<<~RUBY, env: { "GEM_HOME" => home, "GEM_PATH" => home, "RUBYLIB" => nil }))
      require "ztl"
      p Ztl.ztl_version
      puts Ztl::VERSION
      puts $LOADED_FEATURES.grep(/ztl\\.so\\z/)
    RUBY
    assert run.ok?, run.describe
    host_version, gem_version, loaded = run.out.lines(chomp: true)
    assert_equal printed_versions.first.to_s, host_version
    assert_equal version, gem_version
    assert loaded.start_with?(File.realpath(home)) || loaded.start_with?(home), "ztl.so from #{loaded}"

    ri = File.join(home, "doc", "ztl-#{version}", "ri")
    assert File.exist?(File.join(ri, "Ztl", "ZtlItem", "title-i.ri")), "no ri data for Ztl::ZtlItem#title"
    shown = run_tool(File.join(RbConfig::CONFIG["bindir"], "ri"), "-T", "-f", "rdoc", "-d", ri,
                     "Ztl::ZtlItem#title")
    assert_includes shown, "item.title -> String"
  end
end
