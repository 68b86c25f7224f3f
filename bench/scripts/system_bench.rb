#!/usr/bin/env ruby
# frozen_string_literal: true

# Whole-system figures, each against a baseline measured in this run: a run of
# the staged host with the plug-in and the extension, against bare ruby. Prints
# PASS/MISS next to each ratio (informational); exits non-zero only when a run
# itself fails or its output is wrong.

require "fileutils"
require "optparse"
require "rbconfig"
require "timeout"
require "tmpdir"

module SystemBench
  LABEL_WIDTH = 46
  RATIO_WIDTH = 56
  RUN_GUARD = 120 # seconds: a hang guard, never a measurement
  OUTPUT_BYTES = 4 * 1024 * 1024
  REQUESTS = 10_000
  LOOP_CALLS = 20_000

  Options = Struct.new(:stage, :raw_round_trip_us, :quick)

  # A failed run: its command and what it said.
  class RunFailed < StandardError; end

  module_function

  def parse(argv)
    options = Options.new(nil, nil, false)
    OptionParser.new do |o|
      o.on("--stage DIR") { |v| options.stage = v }
      o.on("--raw-round-trip-us US", Float) { |v| options.raw_round_trip_us = v }
      o.on("--quick") { options.quick = true }
    end.parse!(argv)
    raise OptionParser::MissingArgument, "--stage" unless options.stage

    options
  end

  def median(values)
    sorted = values.sort
    mid = sorted.size / 2
    sorted.size.odd? ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2.0
  end

  def padded(label)
    "    #{label}".ljust(LABEL_WIDTH) + " "
  end

  def ms(seconds)
    value = seconds * 1000.0
    format(value < 10 ? "%.2f ms" : "%.1f ms", value)
  end

  def us(seconds)
    value = seconds * 1e6
    format(value < 10 ? "%.2f us" : "%.1f us", value)
  end

  def print_figure(label, runs, unit = :ms)
    show = method(unit)
    puts "#{padded(label)}#{show.call(median(runs))}   (runs #{show.call(runs.min)} .. #{show.call(runs.max)})"
  end

  # goal is :at_most or nil; bound the largest ratio that passes.
  def print_ratio(ratio, against, bound = nil)
    line = format("      = %.2fx %s", ratio, against)
    if bound
      verdict = ratio <= bound ? "PASS" : "MISS"
      line = line.ljust(RATIO_WIDTH) + format("  target <= %.2fx  %s", bound, verdict)
    end
    puts line
  end

  def print_unavailable(label, why)
    puts "#{padded(label)}not available yet (#{why})"
  end

  def print_failure(label, error)
    puts "    #{label}: FAILED: #{error.message}"
  end

  # Seconds for one run of argv with standard output into out_path. Raises
  # RunFailed when the program fails or outlives the guard.
  def timed_run(argv, out_path, env = {})
    err_path = "#{out_path}.stderr"
    start = Process.clock_gettime(Process::CLOCK_MONOTONIC)
    pid = Process.spawn(env, *argv, in: File::NULL, out: out_path, err: err_path)
    status = begin
      Timeout.timeout(RUN_GUARD) { Process.wait2(pid).last }
    rescue Timeout::Error
      Process.kill(:KILL, pid)
      Process.wait(pid)
      raise RunFailed, "#{File.basename(argv.first)} did not end within #{RUN_GUARD} s"
    end
    elapsed = Process.clock_gettime(Process::CLOCK_MONOTONIC) - start
    unless status.success?
      said = File.read(err_path).lines.last(3).join.strip
      raise RunFailed, "#{argv.map { |a| File.basename(a) }.join(' ')} #{status}: #{said}"
    end
    elapsed
  end

  # One warm-up run, then `runs` timed runs; each run's output is checked.
  def sample(runs, &run)
    run.call
    Array.new(runs) { run.call }
  end
end

# The staged system in a user folder of its own.
class Stage
  attr_reader :dir, :work

  def initialize(dir, work)
    @dir = dir
    @work = work
    @user_folder = File.join(work, "user")
    FileUtils.mkdir_p(@user_folder)
  end

  def zentrella = File.join(dir, "zentrella")
  def plugin = File.join(dir, "Scriptlink.so")
  def extension = File.join(dir, "ruby", "ztl.so")
  def ruby = RbConfig.ruby

  # What is not built or not working yet, as a short text, or nil.
  def missing
    return @missing if defined?(@missing)

    absent = [zentrella, plugin, extension].reject { |path| File.exist?(path) }
    @missing = if absent.empty?
                 probe
               else
                 "missing: #{absent.map { |p| p.delete_prefix("#{dir}/") }.join(', ')}"
               end
  end

  # A run whose script reaches the host through the extension and prints what
  # it got; anything else means the system cannot be measured yet.
  def probe
    script = script("probe.rb", "require \"ztl\"\nputs \"probe \#{Ztl.ztl_version}\"\n")
    out = File.join(work, "probe.out")
    run_captured(script, out)
    text = File.exist?(out) ? File.read(out) : ""
    return nil if text.match?(/\Aprobe \d+\n\z/)
    return "zentrella run does not run scripts yet: a probe script's output came back empty" if text.empty?

    "a probe script's captured output was #{text[0, 60].inspect}, not its probe line"
  rescue SystemBench::RunFailed => e
    "a captured run of a probe script failed: #{e.message}"
  end

  # The extension is found beside the plug-in; RUBYLIB makes sure of it for
  # every script the host starts.
  def env
    { "RUBYLIB" => [File.join(dir, "ruby"), ENV.fetch("RUBYLIB", nil)].compact.join(":") }
  end

  def script(name, text)
    path = File.join(work, name)
    File.write(path, text)
    path
  end

  # A captured run: the host runs the script with its output into out_path.
  def run_captured(script, out_path)
    argv = [zentrella, "--user-folder", @user_folder, "--no-station", "run", script, "--output", out_path]
    SystemBench.timed_run(argv, File.join(work, "host.out"), env)
  end

  def run_bare(script, out_path)
    SystemBench.timed_run([ruby, script], out_path)
  end
end

module SystemBench
  module_function

  # Prints 4 MiB in REQUESTS pieces (419 or 420 bytes each), a request (the
  # current item) before each piece when with_requests.
  def request_script(with_requests:, with_prints:)
    long = OUTPUT_BYTES % REQUESTS
    piece = OUTPUT_BYTES / REQUESTS
    <<~RUBY
      #{with_requests ? "require \"ztl\"\ninclude Ztl" : ''}
      $stdout.sync = false
      short_line = "x" * #{piece - 1} + "\\n"
      long_line = "x" * #{piece} + "\\n"
      #{REQUESTS}.times do |i|
        #{with_requests ? 'ztl_current_item' : ''}
        #{with_prints ? "print(i < #{long} ? long_line : short_line)" : ''}
      end
    RUBY
  end

  # Times LOOP_CALLS calls of one module function after a warm-up; prints the
  # seconds per call. check is Ruby that must hold for the function's result.
  def loop_script(function, check)
    <<~RUBY
      require "ztl"
      1000.times { Ztl.#{function} }
      start = Process.clock_gettime(Process::CLOCK_MONOTONIC)
      #{LOOP_CALLS}.times { Ztl.#{function} }
      elapsed = Process.clock_gettime(Process::CLOCK_MONOTONIC) - start
      result = Ztl.#{function}
      raise "#{function} gave \#{result.inspect}" unless #{check}
      puts format("%.9f", elapsed / #{LOOP_CALLS})
    RUBY
  end

  # The module functions timed in a loop: one that asks the host for its
  # version, one that asks for the current item.
  LOOPED = [
    ["ztl_version", "result.is_a?(Integer) && result > 0"],
    ["ztl_current_item", "result.nil? || result.is_a?(Ztl::ZtlItem)"]
  ].freeze

  # An empty output may leave no file at all.
  def check_size(path, bytes)
    return if bytes.zero? && !File.exist?(path)
    raise RunFailed, "no output file #{File.basename(path)}" unless File.exist?(path)

    size = File.size(path)
    raise RunFailed, "#{File.basename(path)} holds #{size} bytes, not #{bytes}" unless size == bytes
  end

  def empty_script(stage, runs)
    puts "\n(c) empty script: zentrella run with output captured vs bare ruby"
    label = "zentrella run (captured)"
    return print_unavailable(label, stage.missing) if stage.missing

    script = stage.script("empty.rb", "# nothing to do\n")
    out = File.join(stage.work, "empty.out")
    bare = sample(runs) { stage.run_bare(script, out) }
    FileUtils.rm_f(out)
    print_figure("bare ruby", bare)
    host = sample(runs) { stage.run_captured(script, out).tap { check_size(out, 0) } }
    print_figure(label, host)
    print_ratio(median(host) / median(bare), "bare ruby", 1.5)
  rescue RunFailed => e
    print_failure(label, e)
    false
  end

  def printing_script(stage, runs)
    puts "\n(d) 4 MiB printed between #{REQUESTS} requests, captured to a file"
    label = "prints and requests (captured)"
    return print_unavailable(label, stage.missing) if stage.missing

    both = stage.script("both.rb", request_script(with_requests: true, with_prints: true))
    requests = stage.script("requests.rb", request_script(with_requests: true, with_prints: false))
    prints = stage.script("prints.rb", request_script(with_requests: false, with_prints: true))
    out = File.join(stage.work, "print.out")
    bare = sample(runs) { stage.run_bare(prints, out).tap { check_size(out, OUTPUT_BYTES) } }
    FileUtils.rm_f(out)
    print_figure("bare ruby printing 4 MiB to a file", bare)
    quiet = sample(runs) { stage.run_captured(requests, out).tap { check_size(out, 0) } }
    FileUtils.rm_f(out)
    print_figure("the requests alone (captured)", quiet)
    loud = sample(runs) { stage.run_captured(both, out).tap { check_size(out, OUTPUT_BYTES) } }
    print_figure(label, loud)
    print_ratio(median(loud) / (median(quiet) + median(bare)), "the sum of the two", 1.5)
  rescue RunFailed => e
    print_failure(label, e)
    false
  end

  def module_function_loop(stage, runs, raw_round_trip_us)
    puts "\n(e) one module function called from Ruby in a loop (#{LOOP_CALLS} calls a run)"
    return print_unavailable("Ztl.ztl_version, per call", stage.missing) if stage.missing

    LOOPED.map { |function, check| time_loop(stage, runs, function, check, raw_round_trip_us) }.all?
  end

  def time_loop(stage, runs, function, check, raw_round_trip_us)
    label = "Ztl.#{function}, per call"
    script = stage.script("#{function}.rb", loop_script(function, check))
    out = File.join(stage.work, "loop.out")
    per_call = sample(runs) do
      stage.run_captured(script, out)
      text = File.exist?(out) ? File.read(out).strip : ""
      raise RunFailed, "the loop script printed #{text[0, 80].inspect}" unless text.match?(/\A\d+\.\d+\z/)

      text.to_f
    end
    print_figure(label, per_call, :us)
    print_ratio(median(per_call) * 1e6 / raw_round_trip_us, "raw futex round trip (unpinned)") if raw_round_trip_us
    true
  rescue RunFailed => e
    print_failure(label, e)
    false
  end

  def main(argv)
    options = parse(argv)
    runs = options.quick ? 2 : 5
    ENV["ZTL_NAMESPACE"] ||= "bench-system-#{Process.pid}"
    Dir.mktmpdir("ztl-bench") do |work|
      stage = Stage.new(File.expand_path(options.stage), work)
      puts "    runs of whole processes: medians of #{runs} after one warm-up run"
      results = [empty_script(stage, runs), printing_script(stage, runs),
                 module_function_loop(stage, runs, options.raw_round_trip_us)]
      results.include?(false) ? 1 : 0
    end
  end
end

exit SystemBench.main(ARGV) if $PROGRAM_NAME == __FILE__
