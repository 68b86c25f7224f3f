# ホストの版数・ユーザーフォルダ・プロジェクト数を表示します
require "ztl"
include Ztl

puts "ztl_version: #{ztl_version}"
puts "ruby_ztl_version: #{ruby_ztl_version}"
puts "ztl_user_folder: #{ztl_user_folder}"
puts "ztl_projects: #{ztl_projects.size}"
