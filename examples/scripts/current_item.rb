# 現在のアイテムとフォルダを表示します
require "ztl"
include Ztl

item = ztl_current_item
folder = ztl_current_folder
puts "current item: #{item ? 'yes' : 'none'}"
puts "current folder: #{folder ? 'yes' : 'none'}"
puts "selected items: #{ztl_selected_items.size}"
puts "displayed items: #{ztl_displayed_items.size}"
puts "host folder: #{ztl_path}"
