#! ruby
# 現在のプロジェクトの完了したタスクを「アーカイブ」フォルダへ移します（--options で別のフォルダ名）
require "ztl"

# The folder's title as given, compared in UTF-8 whatever the host's code page.
folder_title = (ARGV.first || "アーカイブ").dup.force_encoding(Encoding::UTF_8)
same_title = ->(item) { item.title.encode(Encoding::UTF_8) == folder_title }

project = Ztl.ztl_current_project or abort "There is no current project."
archive = project.children.find { |child| child.folder? && same_title.(child) }
archive ||= project.add_folder.tap { |folder| folder.title = folder_title }

# Finished tasks anywhere in the project but the archive itself; a finished
# task moves with its children, so nothing under it is looked at.
def finished_tasks(item, archive, found = [])
  item.children.each do |child|
    next if child == archive
    if child.task? && child.progress >= 100
      found << child
    else
      finished_tasks(child, archive, found)
    end
  end
  found
end

done = finished_tasks(project, archive)
Ztl.ztl_begin_update
begin
  done.each do |task|
    # A copy in the archive, then the original to the recycle bin.
    title = task.title
    copy = archive.add_task
    next copy.delete unless copy.assign_with_children(task)
    task.delete
    puts "moved: #{title}"
  end
ensure
  Ztl.ztl_end_update
end
puts "#{done.size} finished task(s) in #{archive.title}"
