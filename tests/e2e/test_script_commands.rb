# The script folder from the command line: `zentrella scripts` lists it with
# the script list's reader, `zentrella new NAME` writes the script list's
# template, and what it writes runs.
require "e2e_support"

class TestScriptCommands < E2E::Case
  TEMPLATE = "#! ruby\r\n# 新規Zentrella用Rubyスクリプトファイル\r\n#\r\n#\r\nrequire \"ztl\"\r\ninclude Ztl\r\n\r\n\r\n".b.freeze

  def test_scripts_lists_the_folder_sorted_with_each_description
    write_script("b_report.rb", "#! ruby\n#!/usr/bin/env ruby\n#  週報を作る\nputs 1\n")
    write_script("A_first.rb", "# first one")
    write_script("plain.rb", "puts 'no comment'\n# too late\n")
    write_script("evil.rb", "# bell\a and escape\e[31m\n")
    write_script("notes.txt", "# not a script\n")
    Dir.mkdir(File.join(script_folder, "folder.rb"))
    result = host_ok("scripts")
    assert_equal ["A_first.rb\tfirst one", "b_report.rb\t週報を作る", "evil.rb\tbell\\x07 and escape\\x1b[31m",
                  "plain.rb\t"], result.out.force_encoding("UTF-8").lines(chomp: true)
  end

  def test_new_writes_the_template_keeps_an_existing_file_and_the_script_runs
    result = host_ok("new", "tally")
    path = File.join(script_folder, "tally.rb")
    assert_equal "#{path}\n", result.out
    assert_equal TEMPLATE, File.binread(path)
    assert_equal "tally.rb\t新規Zentrella用Rubyスクリプトファイル\n", host_ok("scripts").out.force_encoding("UTF-8")

    File.write(path, "require \"ztl\"\nputs Ztl.ztl_projects.size\n")
    result = host("new", "tally.rb")
    assert_equal 1, result.status.exitstatus, result.describe
    assert_includes result.err, "#{path} exists; it is kept"
    assert_equal "require \"ztl\"\nputs Ztl.ztl_projects.size\n", File.read(path)
    assert_equal "#{sample_projects.size}\n", host_ok("run", "tally").out

    host_ok("new", "--force", "tally")
    assert_equal TEMPLATE, File.binread(path)
  end

  def test_new_writes_in_the_code_page_in_force_and_where_a_path_says
    elsewhere = scratch("mine/tool")
    host_ok("new", elsewhere, host_options: ["--codepage", "932"])
    assert_equal TEMPLATE.dup.force_encoding("UTF-8").encode("Windows-31J").b, File.binread("#{elsewhere}.rb")
    result = host("new")
    assert_equal 2, result.status.exitstatus, result.describe
    assert_includes result.err, "new needs the name of the script"
  end
end
