# `zentrella exec 0`: the script list, answered by the scripted front end,
# picks a script and the run controller runs it with the list's options,
# output and clipboard box; the list also makes scripts from the template.
require "e2e_support"
require "pathname"

class TestScriptList < E2E::Case
  CAPTION = "Rubyスクリプト一覧"
  TEMPLATE = "#! ruby\r\n# 新規Zentrella用Rubyスクリプトファイル\r\n#\r\n#\r\n" \
             "require \"ztl\"\r\ninclude Ztl\r\n\r\n\r\n"

  ECHO = <<~RUBY
    # echoes its arguments
    puts "args=\#{ARGV.inspect}"
  RUBY

  # The plug-in under a path of the test's own, so its settings file (the
  # plug-in path with ".ini") is the test's too.
  def plugin_path
    path = scratch("plugin/Scriptlink.so")
    FileUtils.mkdir_p(File.dirname(path))
    FileUtils.ln_sf(File.join(E2E::STAGE, "Scriptlink.so"), path)
    path
  end

  def settings_file = scratch("plugin/Scriptlink.ini")

  def exec_list(*host_options) = host_ok("exec", "0", host_options: ["--plugin", plugin_path, *host_options])

  def list_prompts = prompts.select { |p| p[:caption] == CAPTION }.map { |p| p[:answer] }

  def test_the_script_named_runs_with_the_options_and_output_given
    write_script("echo.rb", ECHO)
    write_script("other.rb", "puts 'wrong script'\n")
    out = scratch("out.txt")
    answers("options=one two", "output=#{out}", "ok=ECHO")
    exec_list
    assert_equal "args=[\"one\", \"two\"]\n", File.binread(out)
    assert_equal ["options=one two", "output=#{out}", "ok=ECHO"], list_prompts
    assert_equal "[ScriptForm]\nWidth=448\nHeight=365\n", File.read(settings_file), "the size is kept beside the plug-in"
  end

  def test_with_the_clipboard_box_the_output_file_is_not_written
    write_script("echo.rb", ECHO)
    out = scratch("out.txt")
    answers("output=#{out}", "clipboard=1", "help", "name=ec", "ok")
    exec_list
    assert_equal "args=[]\n", clipboard
    refute File.exist?(out)
    assert_equal [scratch("plugin/Help/ScriptListForm.html")], shell_opened
  end

  def test_run_with_nothing_selected_warns_and_cancel_runs_nothing
    answers("ok", "ok", "cancel")
    result = exec_list
    assert_equal ["マクロがないか、指定されていません"], prompts.reject { |p| p[:caption] == CAPTION }.map { |p| p[:text] }
    assert_equal ["ok", "cancel"], list_prompts
    assert_equal "", result.out
  end

  # The assign button closes the list and opens the command list over the
  # command file; what it saves runs as command 10 after the restart.
  def test_assign_commands_opens_the_command_list_and_runs_nothing
    write_script("echo.rb", ECHO)
    out = scratch("out.txt")
    answers("name=echo", "commands", "add", "script=echo.rb", "output=#{out}", "ok", "ok", "yes")
    result = exec_list
    assert_equal "", result.out
    refute File.exist?(out), "the list ran nothing"
    assert_equal ["name=echo", "commands"], list_prompts
    stored = Pathname(out).relative_path_from(Pathname(script_folder)).to_s
    assert_equal "10\techo\techo.rb\t\t#{stored}\n", host_ok("command", "list").out
    host_ok("exec", "10", host_options: ["--plugin", plugin_path])
    assert_equal "args=[]\n", File.binread(out)
  end

  def test_a_script_made_from_the_template_is_found_by_prefix_and_run
    write_script("mark.rb", "# another\n")
    out = scratch("out.txt")
    answers("new", "ok=made", "name=ma", "name=mad", "output=#{out}", "ok")
    exec_list
    made = File.join(script_folder, "made.rb")
    assert_equal TEMPLATE.b, File.binread(made)
    assert_equal [made], shell_opened, "the new script opens for editing"
    assert_equal ["script list: ", "script list: made", "script list: ma", "script list: made", "script list: made"],
                 prompts.select { |p| p[:caption] == CAPTION }.map { |p| p[:text] }
    assert File.exist?(out), "the new script ran: #{prompts.inspect}"
  end

  def test_in_code_page_932_the_template_is_written_in_it
    answers("new", "ok=sjis.rb", "cancel")
    exec_list("--codepage", "932")
    expected = TEMPLATE.encode("Windows-31J").b
    assert_equal expected, File.binread(File.join(script_folder, "sjis.rb"))
  end

  def test_an_existing_script_is_replaced_only_after_the_overwrite_question
    path = write_script("keep.rb", "# mine\n")
    answers("new", "ok=keep.rb", "cancel", "cancel")
    exec_list
    assert_equal "# mine\n", File.read(path)
    assert_equal ["ファイルが存在します。上書きしますか？"], prompts.reject { |p| p[:caption] == CAPTION }
                                                             .map { |p| p[:text] }.grep(/上書き/)
  end
end
