#!/usr/bin/env ruby
# frozen_string_literal: true

# Document texts through the whole system, against the channel of this run:
#   (h) a 1 MiB document written through text= and read back through text
#       (LF in the script, CR LF in the host: both line-break conversions, the
#       host's copy and the channel's chunks), as throughput against the real
#       channel's 16 MiB bulk reply of (b), which channel_bench measured just
#       before and passes in. Target: at least half of it, each way.
# Prints PASS/FAIL next to each target (informational); exits non-zero only
# when a run itself fails or its output is wrong.

require "json"
require_relative "system_bench"

module DocumentsBench
  TEXT_BYTES = 1 << 20
  ROUNDS = 21 # writes and reads per run
  TARGET = 0.5 # of (b)'s throughput

  RunFailed = SystemBench::RunFailed

  module_function

  # Lines of 63 characters and LF: 16,384 lines, 1 MiB in the script. Prints
  # "write SECONDS BYTES" and "read SECONDS BYTES": the median of ROUNDS
  # calls each (a shared machine's other work lands on a few calls, not on
  # the figure), every read checked against what was written.
  def text_script
    <<~RUBY
      require "ztl"
      include Ztl
      clock = -> { Process.clock_gettime(Process::CLOCK_MONOTONIC) }
      line = ("0123456789abcdef" * 4)[0, 63] + "\\n"
      text = line * (#{TEXT_BYTES} / line.bytesize)
      raise "text of \#{text.bytesize} bytes" unless text.bytesize == #{TEXT_BYTES}
      doc = ztl_projects.first.add_task.add_document
      2.times { doc.text = text; doc.text }
      median = ->(values) { values.sort[values.size / 2] }
      written = []
      read = []
      #{ROUNDS}.times do
        at = clock.call
        raise "text= refused" unless doc.text = text
        written << clock.call - at
        at = clock.call
        back = doc.text
        read << clock.call - at
        raise "read back \#{back.bytesize} bytes, not the text written" unless back == text
      end
      puts format("write %.9f %d", median.call(written), text.bytesize)
      puts format("read %.9f %d", median.call(read), text.bytesize)
    RUBY
  end

  def parse_lines(text, keyword)
    text.lines.filter_map { |line| line.split if line.start_with?("#{keyword} ") }
  end

  def mib_s(bytes_per_second) = format("%.0f MiB/s", bytes_per_second / (1 << 20))

  # Bytes per second of one run, each way.
  def text_run(stage, script)
    out = File.join(stage.work, "documents.out")
    stage.run_captured(script, out)
    said = File.exist?(out) ? File.read(out) : ""
    figures = %w[write read].to_h do |keyword|
      line = parse_lines(said, keyword).first
      raise RunFailed, "the document script printed #{said[0, 200].inspect}" unless line

      [keyword, line[2].to_f / line[1].to_f]
    end
    figures.transform_keys(&:to_sym)
  end

  def print_rate(label, rates, bulk)
    median = SystemBench.median(rates)
    puts "#{SystemBench.padded(label)}#{mib_s(median)}   (runs #{mib_s(rates.min)} .. #{mib_s(rates.max)})"
    return true unless bulk

    ratio = median / bulk
    met = ratio >= TARGET
    puts format("      = %.2fx the channel's bulk throughput (b)", ratio).ljust(SystemBench::RATIO_WIDTH) +
         format("  target >= %.2fx  %s", TARGET, met ? "PASS" : "FAIL")
    met
  end

  def document_texts(stage, runs, bulk)
    puts "\n(h) a 1 MiB document written through text= and read through text"
    label = "document text"
    return SystemBench.print_unavailable(label, stage.missing) if stage.missing

    puts "#{SystemBench.padded('(b) real channel, 16 MiB bulk reply')}#{bulk ? mib_s(bulk) : 'not measured in this run'}"
    script = stage.script("documents.rb", text_script)
    figures = SystemBench.sample(runs) { text_run(stage, script) }
    print_rate("text=, 1 MiB", figures.map { |f| f[:write] }, bulk)
    print_rate("text, 1 MiB", figures.map { |f| f[:read] }, bulk)
    true
  rescue RunFailed => e
    SystemBench.print_failure(label, e)
    false
  end

  def main(argv)
    bulk = nil
    rest = argv.dup
    if (at = rest.index("--bulk-bytes-per-second"))
      bulk = Float(rest[at + 1])
      rest.slice!(at, 2)
    end
    options = SystemBench.parse(rest)
    runs = options.quick ? 2 : 5
    ENV["ZTL_NAMESPACE"] ||= "bench-documents-#{Process.pid}"
    Dir.mktmpdir("ztl-bench-documents") do |work|
      stage = Stage.new(File.expand_path(options.stage), work)
      puts "    document runs: medians of #{runs} after one warm-up run"
      document_texts(stage, runs, bulk) ? 0 : 1
    end
  end
end

exit DocumentsBench.main(ARGV) if $PROGRAM_NAME == __FILE__
