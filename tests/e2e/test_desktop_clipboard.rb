# The clipboard of a desktop through the real host: a run's output goes to
# the desktop's clipboard tool (a stand-in on PATH that records what it got),
# and a display without any tool keeps the host's own clipboard and says so.
require "e2e_support"

class TestDesktopClipboard < E2E::Case
  # A stand-in for xsel: the selection in a file beside it, its arguments
  # noted one call a line.
  def fake_xsel(folder)
    FileUtils.mkdir_p(folder)
    path = File.join(folder, "xsel")
    File.write(path, <<~SH)
      #!/bin/sh
      echo "$*" >> "#{folder}/xsel.args"
      case "$2" in
        --input) exec /bin/cat > "#{folder}/selection";;
        --output) exec /bin/cat "#{folder}/selection";;
      esac
      exit 7
    SH
    File.chmod(0o755, path)
    folder
  end

  def private_folder(name)
    scratch(name).tap { |dir| FileUtils.mkdir_p(dir, mode: 0o700) }
  end

  def desktop(path:)
    { "DISPLAY" => ":99", "ZTL_CLIPBOARD_FILE" => nil, "PATH" => path,
      "XDG_RUNTIME_DIR" => private_folder("runtime") }
  end

  def test_a_run_copies_its_output_through_the_desktop_tool
    tools = fake_xsel(scratch("tools"))
    write_script("copy.rb", "print \"to the desktop\\n\"\n")
    env = desktop(path: "#{tools}:#{ENV.fetch('PATH')}")
    host_ok("run", "copy.rb", "--clipboard", env: env)
    assert_equal "to the desktop\n", File.read(File.join(tools, "selection"))
    shown = host_ok("clipboard", env: env)
    assert_equal "to the desktop\n", shown.out
    assert_equal ["--clipboard --input", "--clipboard --output"],
                 File.readlines(File.join(tools, "xsel.args"), chomp: true)
    assert_nil clipboard, "the host's own clipboard file stays untouched"
  end

  def test_a_display_without_a_tool_is_told_on_one_line
    env = desktop(path: private_folder("empty"))
    shown = host_ok("clipboard", env: env)
    assert_equal "", shown.out
    told = shown.err.lines.grep(/clipboard tool/)
    assert_equal 1, told.size, shown.err
    file = File.join(File.realpath(scratch("runtime")), "zentrella", "clipboard")
    assert_equal "clipboard: no clipboard tool (wl-copy, xclip or xsel) is installed; " \
                 "the clipboard is the file #{file}\n", told.first
  end
end
