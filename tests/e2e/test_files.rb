# The files the host and the plug-in read and write as a user meets them:
# project files named twice or that are not files at all, output through links
# and FIFOs, a save that fails, and what is printed from untrusted files.
require "e2e_support"

class TestFiles < E2E::Case
  def project_copy(name)
    scratch(name).tap { |path| FileUtils.cp(File.join(E2E::STAGE, "examples", "sample-projects.json"), path) }
  end

  def new_task_script(title)
    write_script("new_task.rb", "require 'ztl'\nZtl.ztl_exec_command('NewTask', #{title.inspect})\n")
  end

  def titles_in(path)
    titles = []
    each_saved_item(JSON.parse(File.read(path))["projects"]) { |item| titles << item["title"] }
    titles
  end

  def test_a_project_named_twice_or_through_a_link_is_loaded_and_saved_once
    project = project_copy("a.json")
    link = scratch("link.json")
    File.symlink(project, link)
    new_task_script("made once")
    result = host_ok("run", "new_task.rb", host_options: ["--project", project, "--project", project,
                                                          "--project", link])
    assert_equal 2, result.err.scan("is already open; it is loaded once").size, result.describe
    saved = JSON.parse(File.read(project))["projects"]
    assert_equal sample_projects.size, saved.size
    assert_equal 1, titles_in(project).count("made once")
    assert File.symlink?(link)
  end

  def test_project_files_that_are_not_regular_files_are_refused_at_once
    fifo = scratch("fifo.json")
    File.mkfifo(fifo)
    result = host("version", host_options: ["--project", fifo])
    refute result.ok?, result.describe
    assert_includes result.err, "#{fifo} is a FIFO, not a regular file"

    result = host("version", host_options: ["--project", "/dev/zero"])
    refute result.ok?, result.describe
    assert_includes result.err, "/dev/zero is a character device, not a regular file"
  end

  def test_a_command_file_that_is_a_fifo_leaves_the_builtins_and_is_reported
    command_file = File.join(user_folder, "Scriptlink.cmd")
    File.mkfifo(command_file)
    answers("ok")
    out = host_ok("commands").out
    assert_equal %w[0 1], out.lines.map { |line| line.split("\t").first }
    assert_equal 1, prompts.size
    assert_includes prompt_texts.first, "#{command_file} is a FIFO, not a regular file"
  end

  def test_a_failed_save_is_reported_once
    project = project_copy("p.json")
    # The file becomes a folder while the script runs: the save cannot write it.
    write_script("break_save.rb", <<~RUBY)
      require "ztl"
      File.delete(#{project.inspect})
      Dir.mkdir(#{project.inspect})
      Ztl.ztl_exec_command("NewTask", "unsaved")
    RUBY
    result = host("run", "break_save.rb", host_options: ["--project", project])
    refute result.ok?, result.describe
    assert_equal 1, result.err.lines.grep(/p\.json/).size, result.describe
    assert File.directory?(project)
  end

  def test_output_through_a_link_or_into_a_fifo_keeps_them
    write_script("hello.rb", "puts 'hello'\n")
    target = scratch("target.txt")
    link = scratch("link.txt")
    File.symlink("target.txt", link)
    host_ok("run", "hello.rb", "--output", link)
    assert File.symlink?(link)
    assert_equal "hello\n", File.binread(target)

    fifo = scratch("out.fifo")
    File.mkfifo(fifo)
    File.open(fifo, File::RDONLY | File::NONBLOCK) do |reader|
      host_ok("run", "hello.rb", "--output", fifo)
      assert_equal "hello\n", reader.read_nonblock(100)
    end
    assert File.pipe?(fifo)
  end

  # The plug-in cannot make its announcement when something else holds the name.
  def test_a_channel_failure_of_a_run_names_the_script
    blocker = "/dev/shm/ztl+#{namespace}+FILEMAP_ZTL_RUBY"
    Dir.mkdir(blocker)
    script = write_script("hello.rb", "puts 'hello'\n")
    answers("ok")
    host("run", "hello.rb", "--clipboard")
    assert_equal ["共有メモリを開けません\\n#{script}"], prompt_texts
    assert_nil clipboard
  ensure
    Dir.rmdir(blocker) if blocker && File.directory?(blocker)
  end

  def test_commands_print_captions_with_control_characters_escaped
    write_command_file(command_record(number: 10, script: "x.rb", caption: "\e]0;owned\a\e[2J\x7Fend"),
                       command_record(number: 11, script: "y.rb", caption: "tab\there"),
                       command_record(number: 12, script: "z.rb", caption: "c1\u009B31m 語".b))
    out = host_ok("commands").out
    refute_match(/[\x00-\x08\x0b-\x1f\x7f]/, out)
    assert_includes out.lines, "10\tScriptlink_ExtCommand10\t\\x1b]0;owned\\x07\\x1b[2J\\x7fend\t-1\t0\n"
    assert_includes out.lines, "11\tScriptlink_ExtCommand11\ttab\\x09here\t-1\t0\n"
    assert_includes out.b.lines, "12\tScriptlink_ExtCommand12\tc1\\u009b31m 語\t-1\t0\n".b
  end

  def test_clipboard_prints_every_byte
    bytes = "a\0b\0\xFFc\n".b
    File.binwrite(clipboard_file, bytes)
    assert_equal bytes, host_ok("clipboard").out.b
  end
end
