#!/usr/bin/env ruby
# frozen_string_literal: true

# Item requests through the whole system, against baselines of this run:
#   (f) a 10,000-item tree built inside one update bracket, then walked, per
#       request against the Ztl.ztl_version loop of (e), which the same script
#       runs just before the build and just after the walk, so that both
#       figures meet the same load of a shared machine;
#   (g) the resident size of the host and of the script after 100,000 and
#       after 1,000,000 item requests, and the host's record ledger at exit.
# Prints PASS/FAIL next to each target (informational); exits non-zero only
# when a run itself fails or its output is wrong.

require "json"
require_relative "system_bench"

module ItemsBench
  FOLDERS = 100
  TASKS_PER_FOLDER = 99 # 100 folders + 9,900 tasks: 10,000 items under the project
  TREE_ITEMS = FOLDERS * (1 + TASKS_PER_FOLDER)
  WALK_REQUESTS_PER_ITEM = 6 # children, kind, title, progress, due_time, user_categories
  TREE_TARGET = 1.3 # per request, against one Ztl.ztl_version call
  VERSION_CALLS = SystemBench::LOOP_CALLS / 2 # before the build and after the walk: (e)'s count in all
  MEMORY_MARKS = [100_000, 1_000_000].freeze
  MEMORY_TARGET = 0.05 # growth between the two marks
  CATEGORIES = %w[担当 種別].freeze
  LEDGER_COMPLAINT = "host records" # the host's exit line when the plug-in kept or misreleased any

  RunFailed = SystemBench::RunFailed

  module_function

  # A project file of one empty project with two user categories, so that
  # every item made in it carries both and user_categories reads real pairs.
  def project_file(path)
    project = { "format" => "zentrella-projects", "version" => 1,
                "projects" => [{ "kind" => "project", "title" => "bench",
                                 "categories" => CATEGORIES.map { |n| { "name" => n, "value" => "" } } }] }
    File.write(path, JSON.generate(project))
    path
  end

  # Times the (e) loop of Ztl.ztl_version, builds the tree inside one update
  # bracket (every title= only marks the task list for remaking), walks it
  # depth first and times the loop again. Prints "version SECONDS CALLS",
  # "build SECONDS REQUESTS" and "walk SECONDS REQUESTS".
  def tree_script
    <<~RUBY
      require "ztl"
      include Ztl
      clock = -> { Process.clock_gettime(Process::CLOCK_MONOTONIC) }
      version_loop = lambda do
        at = clock.call
        #{VERSION_CALLS}.times { Ztl.ztl_version }
        clock.call - at
      end
      1000.times { Ztl.ztl_version }
      version_seconds = version_loop.call
      project = ztl_projects.first
      # The script's own work stays out of the timed part: the titles are made
      # before the clock starts, and the walk only counts what it will check.
      folder_titles = Array.new(#{FOLDERS}) { |f| "folder \#{f}" }
      task_titles = Array.new(#{FOLDERS}) { |f| Array.new(#{TASKS_PER_FOLDER}) { |t| "task \#{f}.\#{t}" } }
      start = clock.call
      ztl_begin_update
      folder_titles.each_with_index do |folder_title, f|
        folder = project.add_folder
        folder.title = folder_title
        task_titles[f].each do |task_title|
          task = folder.add_task
          task.title = task_title
        end
      end
      ztl_end_update
      built = clock.call
      build_requests = 2 + #{FOLDERS} * 2 * (1 + #{TASKS_PER_FOLDER})
      walked = 0
      tasks = 0
      untitled = 0
      uncategorised = 0
      walk = lambda do |item|
        tasks += 1 if item.kind == ITEM_TASK
        untitled += 1 if item.title.empty?
        item.progress
        item.due_time
        uncategorised += 1 unless item.user_categories.size == #{CATEGORIES.size}
        walked += 1
        item.children.each(&walk)
      end
      walk.call(project)
      walked_at = clock.call
      expected = 1 + #{TREE_ITEMS}
      raise "walked \#{walked} items, not \#{expected}" unless walked == expected
      raise "found \#{tasks} tasks" unless tasks == #{FOLDERS * TASKS_PER_FOLDER}
      raise "\#{untitled} items without a title" unless untitled.zero?
      raise "\#{uncategorised} items without both categories" unless uncategorised.zero?
      raise "categories \#{project.user_categories.keys}" unless project.user_categories.keys == #{CATEGORIES.inspect}
      version_seconds += version_loop.call
      puts format("version %.9f %d", version_seconds, 2 * #{VERSION_CALLS})
      puts format("build %.9f %d", built - start, build_requests)
      puts format("walk %.9f %d", walked_at - built, walked * #{WALK_REQUESTS_PER_ITEM})
    RUBY
  end

  # Item requests in a loop over a few items; at each mark the script prints
  # "rss REQUESTS HOST_KB SCRIPT_KB" (VmRSS of the host and of itself, after
  # a collection so that garbage wrappers do not count).
  def memory_script(marks = MEMORY_MARKS)
    <<~RUBY
      require "ztl"
      include Ztl
      def vm_rss(pid) = File.read("/proc/\#{pid}/status")[/^VmRSS:\\s+(\\d+) kB/, 1].to_i
      # The script's parent chain leads to the host that runs it.
      def host_pid
        pid = Process.ppid
        pid = File.read("/proc/\#{pid}/stat")[/\\) \\S (\\d+)/, 1].to_i until pid <= 1 || File.read("/proc/\#{pid}/comm").strip == "zentrella"
        raise "no zentrella among the script's ancestors" if pid <= 1
        pid
      end
      host = host_pid
      project = ztl_projects.first
      items = Array.new(8) { |i| project.add_task.tap { |t| t.title = "memory \#{i}"; t.user_categories = { "担当" => "x", "種別" => "y" } } }
      done = 0
      #{marks.inspect}.each do |mark|
        while done < mark
          item = items[done % items.size]
          case done % 6
          when 0 then item.title
          when 1 then item.progress
          when 2 then item.due_time
          when 3 then item.user_categories
          when 4 then item.kind
          else item.parent
          end
          done += 1
        end
        GC.start
        puts "rss \#{mark} \#{vm_rss(host)} \#{vm_rss(Process.pid)}"
      end
    RUBY
  end

  def parse_lines(text, keyword)
    text.lines.filter_map { |line| line.split if line.start_with?("#{keyword} ") }
  end

  def verdict(met) = met ? "PASS" : "FAIL"

  def print_target(line, met, target)
    puts line.ljust(SystemBench::RATIO_WIDTH) + "  target #{target}  #{verdict(met)}"
  end
end

# One host run of a script on a project file of its own, output captured.
class ItemsStage < Stage
  def run_on_project(script, project, out_path)
    argv = [zentrella, "--user-folder", File.join(work, "user"), "--no-station", "--project", project,
            "run", script, "--output", out_path]
    SystemBench.timed_run(argv, File.join(work, "host.out"), env)
  end

  def host_said = File.exist?(File.join(work, "host.out.stderr")) ? File.read(File.join(work, "host.out.stderr")) : ""
end

module ItemsBench
  module_function

  def fresh_project(stage, name) = project_file(File.join(stage.work, name))

  # Seconds per call of the version loop, then per request of the build, of
  # the walk and of both.
  def tree_run(stage, script)
    out = File.join(stage.work, "tree.out")
    stage.run_on_project(script, fresh_project(stage, "tree.json"), out)
    text = File.exist?(out) ? File.read(out) : ""
    lines = %w[version build walk].map { |keyword| parse_lines(text, keyword).first }
    raise RunFailed, "the tree script printed #{text[0, 200].inspect}" unless lines.all?

    (version, build, walk) = lines.map { |_, seconds, count| [seconds.to_f, count.to_i] }
    { version: version[0] / version[1], build: build[0] / build[1], walk: walk[0] / walk[1],
      both: (build[0] + walk[0]) / (build[1] + walk[1]), counts: [build[1], walk[1]] }
  end

  def print_rate(label, per_request)
    SystemBench.print_figure(label, per_request, :us)
    puts format("      = %.0f requests/s", 1.0 / SystemBench.median(per_request))
  end

  def tree_walk(stage, runs)
    puts "\n(f) a #{TREE_ITEMS}-item tree built in one update bracket, then walked"
    label = "build and walk, per request"
    return SystemBench.print_unavailable(label, stage.missing) if stage.missing

    tree = stage.script("tree.rb", tree_script)
    SystemBench.sample(runs) { tree_run(stage, tree) }.then do |figures|
      build_n, walk_n = figures.first[:counts]
      SystemBench.print_figure("Ztl.ztl_version, per call (the loop of (e))", figures.map { |f| f[:version] }, :us)
      print_rate("build: #{build_n} requests, per request", figures.map { |f| f[:build] })
      print_rate("walk: #{walk_n} requests, per request", figures.map { |f| f[:walk] })
      print_rate(label, figures.map { |f| f[:both] })
      # Each run against its own baseline, then the median of the runs.
      ratio = SystemBench.median(figures.map { |f| f[:both] / f[:version] })
      print_target(format("      = %.2fx Ztl.ztl_version per call (median of the runs' ratios)", ratio),
                   ratio <= TREE_TARGET, format("<= %.2fx", TREE_TARGET))
    end
    true
  rescue RunFailed => e
    SystemBench.print_failure(label, e)
    false
  end

  def memory(stage)
    puts "\n(g) resident size after #{MEMORY_MARKS.map { |m| m.to_s.reverse.scan(/\d{1,3}/).join(',').reverse }.join(' and ')} item requests"
    label = "host and script VmRSS"
    return SystemBench.print_unavailable(label, stage.missing) if stage.missing

    script = stage.script("memory.rb", memory_script)
    out = File.join(stage.work, "memory.out")
    ledger_ok = true
    begin
      stage.run_on_project(script, fresh_project(stage, "memory.json"), out)
    rescue RunFailed => e
      raise unless stage.host_said.include?(LEDGER_COMPLAINT)

      ledger_ok = false
      puts "    #{e.message}"
    end
    marks = parse_lines(File.exist?(out) ? File.read(out) : "", "rss").map { |_, n, h, s| [n.to_i, h.to_i, s.to_i] }
    raise RunFailed, "the memory script printed #{marks.size} marks, not #{MEMORY_MARKS.size}" unless
      marks.map(&:first) == MEMORY_MARKS

    (early, late) = marks
    { "host" => 1, "script" => 2 }.each do |who, column|
      puts "#{SystemBench.padded("#{who} VmRSS")}#{early[column]} kB after #{early[0]}, #{late[column]} kB after #{late[0]}"
      growth = (late[column] - early[column]).to_f / early[column]
      print_target(format("      = %+.2f%% growth", growth * 100), growth < MEMORY_TARGET,
                   format("< %.0f%%", MEMORY_TARGET * 100))
    end
    print_target("#{SystemBench.padded('host record ledger at exit')}#{ledger_ok ? 'nothing outstanding' : 'records kept'}",
                 ledger_ok, "none kept")
    ledger_ok
  rescue RunFailed => e
    SystemBench.print_failure(label, e)
    false
  end

  def main(argv)
    options = SystemBench.parse(argv)
    runs = options.quick ? 2 : 5
    ENV["ZTL_NAMESPACE"] ||= "bench-items-#{Process.pid}"
    Dir.mktmpdir("ztl-bench-items") do |work|
      stage = ItemsStage.new(File.expand_path(options.stage), work)
      puts "    item runs: medians of #{runs} after one warm-up run"
      [tree_walk(stage, runs), memory(stage)].include?(false) ? 1 : 0
    end
  end
end

exit ItemsBench.main(ARGV) if $PROGRAM_NAME == __FILE__
