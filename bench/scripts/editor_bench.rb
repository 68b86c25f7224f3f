#!/usr/bin/env ruby
# frozen_string_literal: true

# The editor through the whole system, against a baseline of this run:
#   (i) Edit[i] over every line of a 10,000-line document, per line against
#       the Ztl.ztl_version loop of (e), which the same script runs just
#       before and just after the lines, so that both meet the same load.
# Prints PASS/FAIL next to the target (informational); exits non-zero only
# when a run itself fails or its output is wrong.

require "json"
require_relative "items_bench"

module EditorBench
  LINES = 10_000
  TARGET = 1.5 # per line, against one Ztl.ztl_version call
  VERSION_CALLS = SystemBench::LOOP_CALLS / 2

  RunFailed = SystemBench::RunFailed

  module_function

  def line_text(index) = "line #{index} 行"

  # A project whose one task holds the document, each line different.
  def project_file(path)
    text = Array.new(LINES) { |i| line_text(i) }.join("\n")
    project = { "format" => "zentrella-projects", "version" => 1,
                "projects" => [{ "kind" => "project", "title" => "bench", "children" => [{
                  "kind" => "task", "title" => "document",
                  "documents" => [{ "title" => "text", "file_name" => "", "text_type" => "", "text" => text }]
                }] }] }
    File.write(path, JSON.generate(project))
    path
  end

  # Prints "version SECONDS CALLS", "lines SECONDS LINES" (the pass after one
  # warm-up pass) and "first SECONDS LINES" (the warm-up pass).
  def lines_script
    <<~RUBY
      require "ztl"
      include Ztl
      clock = -> { Process.clock_gettime(Process::CLOCK_MONOTONIC) }
      version_loop = lambda do
        at = clock.call
        #{VERSION_CALLS}.times { Ztl.ztl_version }
        clock.call - at
      end
      ztl_projects.first.first_child.set_focus
      count = Edit.lines_size
      raise "the editor shows \#{count} lines, not #{LINES}" unless count == #{LINES}
      1000.times { Ztl.ztl_version }
      version_seconds = version_loop.call
      # The first pass over the lines is timed too, but the target is judged on
      # the second: like the version loop, which runs after its warm-up, it
      # meets an interpreter whose heap has grown to hold the lines, instead
      # of paying for the collections that growth brings (they come and go
      # with the interpreter's state at start: up to a third of the first
      # pass, none of the editor's cost).
      first_lines = Array.new(count)
      start = clock.call
      count.times { |i| first_lines[i] = Edit[i] }
      first_read = clock.call - start
      first_lines = nil
      lines = Array.new(count)
      start = clock.call
      count.times { |i| lines[i] = Edit[i] }
      read = clock.call - start
      # Checked after the clock stopped: the check is not the editor's cost.
      lines.each_with_index { |line, i| raise "line \#{i} reads \#{line.inspect}" unless line.start_with?("line \#{i} ") }
      version_seconds += version_loop.call
      puts format("version %.9f %d", version_seconds, 2 * #{VERSION_CALLS})
      puts format("lines %.9f %d", read, count)
      puts format("first %.9f %d", first_read, count)
    RUBY
  end

  def lines_run(stage, script)
    out = File.join(stage.work, "lines.out")
    stage.run_on_project(script, project_file(File.join(stage.work, "lines.json")), out)
    text = File.exist?(out) ? File.read(out) : ""
    lines = %w[version lines first].map { |keyword| ItemsBench.parse_lines(text, keyword).first }
    raise RunFailed, "the lines script printed #{text[0, 200].inspect}" unless lines.all?

    (version, read, first) = lines.map { |_, seconds, count| [seconds.to_f, count.to_i] }
    { version: version[0] / version[1], line: read[0] / read[1], first: first[0] / first[1] }
  end

  def lines(stage, runs)
    puts "\n(i) Edit[i] over every line of a #{LINES}-line document"
    label = "Edit[i], per line"
    return SystemBench.print_unavailable(label, stage.missing) if stage.missing

    script = stage.script("lines.rb", lines_script)
    figures = SystemBench.sample(runs) { lines_run(stage, script) }
    SystemBench.print_figure("Ztl.ztl_version, per call (the loop of (e))", figures.map { |f| f[:version] }, :us)
    SystemBench.print_figure("#{label}, first pass", figures.map { |f| f[:first] }, :us)
    first_ratio = SystemBench.median(figures.map { |f| f[:first] / f[:version] })
    puts format("      = %.2fx Ztl.ztl_version per call (informational: the interpreter's heap still grows)", first_ratio)
    SystemBench.print_figure("#{label}, after one pass", figures.map { |f| f[:line] }, :us)
    ratio = SystemBench.median(figures.map { |f| f[:line] / f[:version] })
    ItemsBench.print_target(format("      = %.2fx Ztl.ztl_version per call (median of the runs' ratios)", ratio),
                            ratio <= TARGET, format("<= %.2fx", TARGET))
    true
  rescue RunFailed => e
    SystemBench.print_failure(label, e)
    false
  end

  def main(argv)
    options = SystemBench.parse(argv)
    runs = options.quick ? 2 : 5
    ENV["ZTL_NAMESPACE"] ||= "bench-editor-#{Process.pid}"
    Dir.mktmpdir("ztl-bench-editor") do |work|
      stage = ItemsStage.new(File.expand_path(options.stage), work)
      puts "    editor runs: medians of #{runs} after one warm-up run"
      lines(stage, runs) ? 0 : 1
    end
  end
end

exit EditorBench.main(ARGV) if $PROGRAM_NAME == __FILE__
