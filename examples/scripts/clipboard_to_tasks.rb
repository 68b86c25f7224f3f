#! ruby
# クリップボードの各行を、現在のフォルダの新しいタスクにします（空の行は飛ばします）
require "ztl"

# The host prints its clipboard: the desktop's, or its own where there is none.
zentrella = File.join(Ztl.ztl_path, "zentrella")
text = IO.popen([zentrella, "clipboard"], "rb", &:read)
abort "Cannot read the clipboard." unless $?.success?

folder = Ztl.ztl_current_folder or abort "There is no current folder."
# The bytes go to the host as they are, in its code page.
titles = text.each_line.map { |line| line.chomp.strip }.reject(&:empty?)

Ztl.ztl_begin_update
begin
  titles.each { |title| folder.add_task.title = title }
ensure
  Ztl.ztl_end_update
end
puts "#{titles.size} task(s) added"
