# Support for the extension's tests: a fake plug-in end of the channel
# (fake_channel_server) in a namespace of its own, and a Ruby child that loads
# ztl against it.
require "minitest/autorun"
require "fileutils"
require "open3"
require "securerandom"
require "tmpdir"
require "timeout"

module FakeHostSupport
  STAGE = ENV.fetch("ZTL_STAGE_RUBY")
  SERVER = ENV.fetch("ZTL_FAKE_SERVER")
  # Only a guard against a hang, never a measure of speed.
  HANG_GUARD = 30
  SANITIZED = ENV.key?("ZTL_SANITIZE")

  Request = Struct.new(:code, :value, :chunks, :payload)

  # Each run prints what it evaluates; errors come back as "ERR Class: message".
  PRELUDE = <<~RUBY
    def show
      p yield
    rescue Exception => e
      puts "ERR \#{e.class}: \#{e.message}"
    end
  RUBY

  class FakeHost
    attr_reader :namespace

    def initialize(namespace, replies: [], mode: "channel", number: 4242, default: "empty")
      @namespace = namespace
      @dir = Dir.mktmpdir("ztl-fake-host")
      @log = File.join(@dir, "log")
      replies_file = File.join(@dir, "replies")
      File.write(replies_file, replies.map { |r| r + "\n" }.join)
      args = [SERVER, "--mode", mode, "--number", number.to_s, "--replies", replies_file,
              "--log", @log, "--default", default]
      @out, @pid = spawn_server(args)
      line = Timeout.timeout(HANG_GUARD) { @out.gets }
      raise "fake host did not start: #{line.inspect}" unless line == "ready\n"
    end

    def requests
      log_lines.grep(/^req /).map do |line|
        _, code, value, chunks, hex = line.split(" ")
        Request.new(code.to_i, value.to_i, chunks.to_i, hex == "-" ? "".b : [hex].pack("H*"))
      end
    end

    def log_lines
      File.exist?(@log) ? File.readlines(@log, chomp: true) : []
    end

    def stop
      Process.kill("KILL", @pid)
    rescue Errno::ESRCH
      nil
    ensure
      Process.wait(@pid) rescue nil
      @out.close
      FileUtils.rm_rf(@dir)
    end

    private

    def spawn_server(args)
      reader, writer = IO.pipe
      pid = Process.spawn({ "ZTL_NAMESPACE" => @namespace }, *args, out: writer)
      writer.close
      [reader, pid]
    end
  end

  def new_namespace
    "ztl-test-#{Process.pid}-#{SecureRandom.hex(4)}"
  end

  # Starts a fake host, in a fresh namespace unless one is given; stopped after the test.
  def fake_host(namespace: new_namespace, **options)
    host = FakeHost.new(namespace, **options)
    (@hosts ||= []) << host
    host
  end

  def teardown
    (@hosts || []).each(&:stop)
    super
  end

  # Runs code in a Ruby child that has loaded ztl (and included Ztl) in the
  # namespace given; returns [stdout, stderr, status].
  def run_script(code, namespace:, require_ztl: true, env: {})
    script = PRELUDE + (require_ztl ? "require 'ztl'\ninclude Ztl\n" : "") + code
    Timeout.timeout(HANG_GUARD) do
      Open3.capture3({ "ZTL_NAMESPACE" => namespace, "ZTL_CHANNEL" => nil }.merge(env), RbConfig.ruby, "-I", STAGE,
                     "-e", script)
    end
  end

  # As run_script, and the child must end normally: returns its stdout.
  def run_ok(code, host)
    out, err, status = run_script(code, namespace: host.namespace)
    assert status.success?, "script failed: #{err}"
    out
  end

  def words(*values)
    values.pack("l<*")
  end

  # Runs code after `item = ztl_current_item` (handle 7) against replies;
  # returns the lines printed and the requests after that first one as
  # [code, value, payload].
  ITEM_HANDLE = 7

  def run_on_item(code, replies, env: {})
    host = fake_host(replies: ["words #{ITEM_HANDLE}"] + replies)
    out, err, status = run_script("item = ztl_current_item\n" + code, namespace: host.namespace, env: env)
    assert status.success?, "script failed: #{err}"
    [out.lines(chomp: true), host.requests.drop(1).map { |r| [r.code, r.value, r.payload] }]
  end

  # Reply lines laid out as the plug-in writes its replies.
  def reply_bytes(bytes)
    bytes.empty? ? "empty" : "hex #{bytes.unpack1('H*')}"
  end

  def reply_items(*handles)
    "words #{(handles + [0]).join(' ')}"
  end

  # A category list: name NUL value NUL per category, then one NUL.
  def categories(pairs)
    pairs.map { |name, value| name.b + "\0" + value.b + "\0" }.join.b + "\0"
  end
end
