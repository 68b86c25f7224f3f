# Runs the staged system as a user would: the real zentrella with the real
# plug-in, Ruby and ztl.so. Each test gets its own kernel-object namespace, user
# folder, clipboard, shell-open log and scripted prompt answers, so tests never
# meet one another nor the user's own host.
require "minitest/autorun"
require "fileutils"
require "json"
require "securerandom"
require "tmpdir"

module E2E
  STAGE = File.realpath(ENV.fetch("ZTL_STAGE_DIR") { abort "ZTL_STAGE_DIR names the staged system" })
  ZENTRELLA = File.join(STAGE, "zentrella")
  RUBY = ENV.fetch("ZTL_RUBY", "ruby")

  # Generous: only a hang should ever reach it.
  HANG_GUARD = 8.0

  BUSY_QUESTION = "他のRubyスクリプトが実行中です。強制終了させる場合は「はい」を押してください。" \
                  "コンソールのウィンドウが出ている場合は、それを終了してください。"

  Finished = Struct.new(:status, :out, :err) do
    def ok? = status&.success?
    def describe = "status #{status.inspect}\n--- stdout\n#{out}\n--- stderr\n#{err}"
  end

  # A process started in the background; its output goes to files so that a
  # chatty child can never block on a full pipe.
  class Started
    attr_reader :pid, :out_file, :err_file

    def initialize(pid, out_file, err_file)
      @pid = pid
      @out_file = out_file
      @err_file = err_file
      @status = nil
    end

    def out = File.exist?(@out_file) ? File.binread(@out_file) : ""
    def err = File.exist?(@err_file) ? File.binread(@err_file) : ""

    def status
      return @status if @status
      done, status = Process.wait2(@pid, Process::WNOHANG)
      @status = status if done
      @status
    rescue Errno::ECHILD
      @status
    end

    def running? = status.nil?

    # Waits for the process to end; nil when the guard ran out first.
    def wait(limit = HANG_GUARD)
      deadline = now + limit
      sleep 0.01 while running? && now < deadline
      running? ? nil : Finished.new(@status, out, err)
    end

    def signal(name)
      Process.kill(name, @pid) if running?
    rescue Errno::ESRCH
      nil
    end

    # Its whole process group: the host and any interpreter it started.
    def kill_group
      Process.kill(:KILL, -@pid)
    rescue Errno::ESRCH, Errno::EPERM
      nil
    ensure
      wait(2)
    end

    private

    def now = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  end

  class Case < Minitest::Test
    # A script started outside the host that prints the host's version, or the
    # connect error it met.
    VERSION = <<~RUBY
      begin
        require "ztl"
        p Ztl.ztl_version
      rescue Ztl::Error => e
        puts "Ztl::Error: \#{e.message}"
      end
    RUBY

    make_my_diffs_pretty!

    def setup
      @dir = Dir.mktmpdir("ztl-e2e-")
      @namespace = "e2e-#{Process.pid}-#{SecureRandom.hex(6)}"
      @user_folder = File.join(@dir, "user") + "/"
      FileUtils.mkdir_p(script_folder)
      @answers_file = File.join(@dir, "answers")
      File.write(@answers_file, "")
      @started = []
    end

    def teardown
      @started.each(&:kill_group)
      Dir.glob("/dev/shm/ztl+#{@namespace}+*").each { |f| FileUtils.rm_f(f) }
      unexpected = prompts.select { |p| p[:answer] == "unexpected" }
      FileUtils.rm_rf(@dir)
      flunk "unexpected prompts: #{unexpected.inspect}" if passed? && !unexpected.empty?
    end

    attr_reader :user_folder, :namespace

    def script_folder = File.join(@user_folder, "Script") + "/"
    def clipboard_file = File.join(@dir, "clipboard")
    def shell_log_file = File.join(@dir, "shell-open.log")
    def prompt_log_file = File.join(@dir, "prompts.log")
    def scratch(name) = File.join(@dir, name)

    def environment
      {
        "ZTL_NAMESPACE" => @namespace,
        # A test run from inside a host's run must not hand that host's channel on.
        "ZTL_CHANNEL" => nil,
        "ZTL_CLIPBOARD_FILE" => clipboard_file,
        "ZTL_SHELL_OPEN_LOG" => shell_log_file,
        "ZTL_PROMPT_ANSWERS" => @answers_file,
        "ZTL_PROMPT_LOG" => prompt_log_file,
        "RUBYLIB" => File.join(STAGE, "ruby"),
        "XDG_DATA_HOME" => File.join(@dir, "data"),
        "COMSPEC" => nil,
        "DISPLAY" => nil,
        "WAYLAND_DISPLAY" => nil,
        "ZTL_CODEPAGE" => nil
      }
    end

    # The scripted answers to the message boxes to come, in order.
    def answers(*words) = File.write(@answers_file, words.map { |w| "#{w}\n" }.join)

    def write_script(name, text, folder: script_folder)
      path = File.join(folder, name)
      FileUtils.mkdir_p(File.dirname(path))
      File.write(path, text)
      path
    end

    def host_command(*arguments, host_options: [])
      [ZENTRELLA, "--user-folder", @user_folder, *host_options, *arguments]
    end

    def start(command, env: {})
      out_file = scratch("out-#{SecureRandom.hex(4)}")
      err_file = scratch("err-#{SecureRandom.hex(4)}")
      pid = Process.spawn(environment.merge(env), *command, in: :close, out: out_file, err: err_file,
                          pgroup: true, chdir: @dir)
      Started.new(pid, out_file, err_file).tap { |s| @started << s }
    end

    def start_host(*arguments, host_options: [], env: {})
      start(host_command(*arguments, host_options: host_options), env: env)
    end

    # Runs to the end; a run that outlives the guard is a failure, not a wait.
    def finish(started, limit: HANG_GUARD)
      finished = started.wait(limit)
      flunk "still running after #{limit} s: #{started.pid}\n#{started.err}" unless finished
      finished
    end

    def host(*arguments, host_options: [], env: {}, limit: HANG_GUARD)
      finish(start_host(*arguments, host_options: host_options, env: env), limit: limit)
    end

    def host_ok(*arguments, **options)
      host(*arguments, **options).tap { |r| assert r.ok?, r.describe }
    end

    # A station that is ready: its plug-in is loaded and its wait thread runs.
    def start_station(host_options: [])
      station = start_host("station", host_options: host_options)
      wait_until("the station to start") { station.err.include?("serving scripts") || !station.running? }
      assert station.running?, "the station ended: #{station.err}"
      station
    end

    # An interpreter started outside the host, with ztl on its load path.
    def start_external(code, env: {})
      path = write_script("external-#{SecureRandom.hex(4)}.rb", code, folder: @dir)
      start([RUBY, path], env: env)
    end

    def external(code, limit: HANG_GUARD) = finish(start_external(code), limit: limit)

    def wait_until(what, limit: HANG_GUARD)
      deadline = Process.clock_gettime(Process::CLOCK_MONOTONIC) + limit
      until yield
        flunk "gave up waiting for #{what}" if Process.clock_gettime(Process::CLOCK_MONOTONIC) > deadline
        sleep 0.01
      end
    end

    def wait_for_file(path, what = path) = wait_until(what) { File.exist?(path) }

    def clipboard = File.exist?(clipboard_file) ? File.binread(clipboard_file) : nil

    def shell_opened = File.exist?(shell_log_file) ? File.read(shell_log_file).lines(chomp: true) : []

    def prompts
      return [] unless @dir && File.exist?(prompt_log_file)
      File.read(prompt_log_file).lines(chomp: true).map do |line|
        caption, text, answer = line.split("\t", 3)
        { caption: caption, text: text, answer: answer }
      end
    end

    def prompt_texts = prompts.map { |p| p[:text] }

    # The projects the host saved into the default project file.
    def saved_projects = JSON.parse(File.read(File.join(@user_folder, "default.json")))["projects"]

    def each_saved_item(items = saved_projects, &block)
      items.each do |item|
        block.call(item)
        each_saved_item(item.fetch("children", []), &block)
      end
    end

    def sample_projects
      JSON.parse(File.read(File.join(STAGE, "examples", "sample-projects.json")))["projects"]
    end

    # The versions `zentrella version` prints, as the channel sends them:
    # (major * 100 + minor) * 100 + release.
    def printed_versions
      # Not a station: it must not answer scripts meant for a station of the test.
      result = host_ok("version", host_options: ["--no-station"])
      result.out.lines.map do |line|
        major, minor, release = line.split.last.split(".").map(&:to_i)
        (major * 100 + minor) * 100 + release
      end
    end

    # One user command record of the command file, 2076 bytes.
    def command_record(number:, script:, caption: "cmd#{number}", options: "", output: "",
                       clipboard: false, hide_console: false)
      flags = (clipboard ? 1 : 0) | (hide_console ? 2 : 0)
      [caption, "Scriptlink_ExtCommand#{number}", 0, 0, number, -1, 0, script, options, output, flags]
        .pack("a256 a256 s< S< L< l< L< a261 a1025 a261 C")
    end

    def write_command_file(*records)
      File.binwrite(File.join(@user_folder, "Scriptlink.cmd"), [records.size].pack("l<") + records.join)
    end
  end
end
