# The dialog functions through the real host, plug-in, Ruby and extension,
# answered by the scripted front end: what the user confirms comes back to the
# script, a cancel comes back as nil, and the prompts log shows what was asked.
require "items_support"

class DialogsTest < E2E::Case
  include ItemScripts

  # Seconds on the channel for a date of the host's scale (local, naive).
  def channel_seconds(*civil) = Time.utc(*civil).to_i - Time.utc(1970, 1, 1, 9).to_i

  def dialog_prompts = prompts.map { |p| [p[:caption], p[:text], p[:answer]] }

  def test_an_empty_caption_shows_script_link_and_a_cancel_gives_nil
    answers("cancel", "cancel", "cancel")
    result = run_items_script('[disp_item_select, disp_date_dialog(nil, ""), disp_input_dialog(nil, "名前")]')
    assert_equal [nil, nil, nil], result
    assert_equal [["Script Link", "item selection: ", "cancel"], ["Script Link", "date: ", "cancel"],
                  ["Script Link", "input: 名前", "cancel"]], dialog_prompts
  end

  def test_the_chosen_item_comes_back_as_an_item
    answers("ok=家/買い物/牛乳", "ok=スクラップ", "ok")
    result = run_items_script(<<~RUBY)
      milk = disp_item_select(nil, nil, nil, nil, "品物を選ぶ")
      scrap = disp_item_select
      again = disp_item_select(true, true, true, milk)
      [milk.title, scrap.title, again.title]
    RUBY
    assert_equal %w[牛乳 スクラップ 牛乳], result
    assert_equal ["品物を選ぶ", "Script Link", "Script Link"], prompts.map { |p| p[:caption] }
    assert_equal "item selection: 家/買い物/牛乳", prompts.last[:text], "the start item is selected"
  end

  # false, nil, 0 send 0, 1, 1: the first flag off leaves the special
  # projects out, so a start item there is not selected; the third on offers
  # tasks, so a task is.
  def test_flags_false_nil_0_leave_the_special_projects_out
    answers("cancel", "cancel", "cancel")
    run_items_script(<<~RUBY)
      milk = ztl_projects.find { |p| p.title == "家" }.first_child.first_child
      [disp_item_select(false, nil, 0, milk), disp_item_select(false, nil, 0, ztl_scrap_project),
       disp_item_select(true, nil, 0, ztl_scrap_project)]
    RUBY
    assert_equal ["item selection: 家/買い物/牛乳", "item selection: ", "item selection: スクラップ"], prompt_texts
  end

  def test_a_project_is_not_chosen_when_the_second_flag_is_off
    answers("ok=家")
    assert_nil run_items_script("disp_item_select(true, false)")
    assert_equal "unexpected", prompts.last[:answer], "confirming on a project must be refused"
    File.delete(prompt_log_file)
  end

  def test_dates_come_back_in_the_channels_range_or_as_nil
    answers("ok=2024-05-01 10:30", "ok", "ok=1960-01-01 00:00", "ok=2040-01-01 00:00", "ok=", "cancel")
    result = run_items_script(<<~RUBY)
      may = disp_date_dialog(nil, "日付")
      [may.to_i, disp_date_dialog(may).to_i, disp_date_dialog, disp_date_dialog, disp_date_dialog(may),
       disp_date_dialog(may)]
    RUBY
    may = channel_seconds(2024, 5, 1, 10, 30)
    assert_equal [may, may, nil, nil, nil, nil], result
    assert_equal "date: 2024-05-01 10:30:00", prompts[1][:text], "the initial date is shown"
  end

  def test_the_input_dialog_gives_the_text_typed_empty_on_ok_and_nil_on_cancel
    answers("ok=", "cancel", "ok", "ok=gamma", "ok=日本語")
    result = run_items_script(<<~RUBY)
      [disp_input_dialog("題", "入力してください"), disp_input_dialog,
       disp_input_dialog(nil, nil, "beta", "alpha\\nbeta"), disp_input_dialog(nil, nil, "beta", "alpha\\r\\nbeta"),
       disp_input_dialog]
    RUBY
    assert_equal ["", nil, "beta", "gamma", "日本語"], result
    assert_equal [%w[題 input:\ 入力してください ok=], ["Script Link", "input: ", "cancel"]], dialog_prompts.first(2)
  end

  def test_the_input_dialog_under_code_page_932
    answers("ok=表示")
    result = run_items_script('t = disp_input_dialog("題", "入力", "初期"); [t, t.encoding.name]',
                              host_options: ["--codepage", "932"])
    assert_equal ["表示".encode("Windows-31J"), "Windows-31J"], result
    assert_equal [%w[題 input:\ 入力 ok=表示]], dialog_prompts
  end

  # The desktop front end on Qt's offscreen platform, where nobody answers: a
  # script that dies while its dialog is open must not leave the host waiting.
  def test_a_dialog_closes_when_its_script_dies_and_the_run_ends_as_without_it
    skip "this build has no desktop front end (Qt 6)" unless File.exist?(File.join(E2E::STAGE, "libztl_desktop.so"))
    desktop = { "ZTL_PROMPT_ANSWERS" => nil, "QT_QPA_PLATFORM" => "offscreen" }
    write_script("dies.rb", "require 'ztl'\nThread.new { sleep 0.5; Process.kill(:KILL, Process.pid) }\n" \
                            "Ztl.disp_input_dialog('誰も答えない')\n")
    write_script("plain.rb", "require 'ztl'\nsleep 0.5\nProcess.kill(:KILL, Process.pid)\n")
    plain = host("run", "plain.rb", host_options: ["--ui", "desktop"], env: desktop)
    started = Process.clock_gettime(Process::CLOCK_MONOTONIC)
    dies = host("run", "dies.rb", host_options: ["--ui", "desktop"], env: desktop)
    assert_operator Process.clock_gettime(Process::CLOCK_MONOTONIC) - started, :<, 5, dies.describe
    assert_equal plain.status.exitstatus, dies.status.exitstatus, dies.describe
  end
end
