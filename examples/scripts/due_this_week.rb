#! ruby
# 7日以内に期限が来る未完了のタスクを期限の順に一覧します（--clipboard でクリップボードへ）
require "ztl"

DAY = 24 * 60 * 60

# Every item under item, depth first.
def each_item(item, &block)
  item.children.each do |child|
    block.call(child)
    each_item(child, &block)
  end
end

today = Time.now
from = Time.local(today.year, today.month, today.day)
to = from + 7 * DAY

due = []
Ztl.ztl_projects.each do |project|
  each_item(project) do |item|
    next unless item.task? && item.progress < 100
    time = item.due_time
    due << [time, item.title, project.title] if time && time >= from && time < to
  end
end

due.sort_by(&:first).each do |time, title, project|
  puts "#{time.strftime('%Y-%m-%d %H:%M')}  #{title}  (#{project})"
end
