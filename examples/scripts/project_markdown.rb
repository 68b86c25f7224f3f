#! ruby
# 現在のプロジェクトを Markdown（フォルダは見出し、タスクはチェックリスト）にします
require "ztl"

# Folders (and filers) become headings by their depth; tasks become check
# list entries, with their due date, and their subtasks nested below them.
def task_lines(task, depth)
  mark = task.progress >= 100 ? "x" : " "
  due = task.due_time
  line = "#{'  ' * depth}- [#{mark}] #{task.title}"
  line += " (due #{due.strftime('%Y-%m-%d')})" if due
  [line] + task.children.flat_map { |child| task_lines(child, depth + 1) }
end

def folder_lines(item)
  tasks, folders = item.children.partition(&:task?)
  lines = tasks.flat_map { |task| task_lines(task, 0) }
  folders.each do |folder|
    lines << "" unless lines.empty?
    lines << "#{'#' * [folder.level + 1, 6].min} #{folder.title}" << ""
    lines.concat(folder_lines(folder))
  end
  lines
end

project = Ztl.ztl_current_project or abort "There is no current project."
puts "# #{project.title}", ""
puts folder_lines(project)
