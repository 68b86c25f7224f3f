# Writes the seed inputs of the fuzz targets:
# - corpus/ for serve_frames_fuzzer: a few valid requests as the extension
#   sends them. An input is a sequence of frames, each a 20-byte header (code,
#   value, total length, chunk length, last) followed by the chunk's bytes.
# - project_corpus/ for project_file_fuzzer: the sample projects and small
#   files that reach each part of an item.
# - command_corpus/ for command_file_fuzzer: command files as the plug-in
#   saves them, and short ones.
#   ruby tests/fuzz/make_corpus.rb
CHUNK_MAX = 8172

def frames(code, value, payload)
  payload = payload.b
  out = "".b
  offset = 0
  loop do
    chunk = payload.byteslice(offset, CHUNK_MAX) || "".b
    offset += chunk.bytesize
    last = offset >= payload.bytesize ? 1 : 0
    out << [code, value, payload.bytesize, chunk.bytesize, last].pack("V5") << chunk
    break if last == 1
  end
  out
end

def word(value) = [value].pack("V")
def texts(*strings) = strings.map { |s| s.b + "\0".b }.join

seeds = {
  "special_item_current" => frames(1, 0, word(0)),
  "special_item_selected_list" => frames(1, 0, word(9)),
  "update_bracket" => frames(25, 0, word(1)) + frames(25, 0, word(1)) + frames(25, 0, word(0)) +
                      frames(25, 0, word(0)),
  "exec_command" => frames(75, 0, texts("FileSave", "a", "引数", "", "d")),
  "exec_command_shifted" => frames(82, 0, word(1)) + frames(75, 0, texts("NewTask", *(1..10).map(&:to_s))),
  "multi_chunk" => frames(75, 0, texts("Find", "語" * 4000, "x" * 5000)),
  "versions_and_paths" => frames(78, 0, "") + frames(79, 0, "") + frames(76, 0, "") + frames(77, 0, ""),
  "panes" => frames(81, 0, word(3)) + frames(89, 0, ""),
  # Item tree: every code on a live handle, then handle 0 (the defaults).
  "item_relatives" => [2, 3, 4, 5, 6, 9, 10, 80].map { |code| frames(code, 5, "") }.join,
  "item_selection_walk" => frames(7, 5, "") + frames(8, 6, "") + frames(72, 5, "") + frames(73, 5, word(1)) +
                           frames(73, 5, word(0x100)),
  "item_add_insert" => frames(11, 0, word(3)) + frames(11, 0, word(0)) + frames(11, 5, word(0)) +
                       frames(12, 5, word(-1) + word(2)) + frames(12, 5, word(0) + word(9)),
  "item_delete_assign" => frames(14, 5, word(6) + word(0)) + frames(14, 5, word(6) + word(1)) +
                          frames(14, 5, word(0) + word(0)) + frames(13, 6, ""),
  "item_kind_level_row" => frames(15, 7, "") + frames(16, 7, "") + frames(17, 7, "") + frames(74, 7, ""),
  "item_make_current" => frames(51, 5, "") + frames(52, 6, ""),
  "item_tree_no_item" => [2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 51, 52, 72, 73, 74, 80]
                         .map { |code| frames(code, 0, word(1)) }.join,
  # Item properties.
  "item_title" => frames(18, 5, "") + frames(19, 5, texts("予定の見直し")) + frames(19, 5, texts("x" * 5119 + "語")),
  "item_title_long" => frames(19, 6, texts("語" * 3000)),
  "item_title_no_payload" => frames(19, 5, "") + frames(71, 5, ""),
  "item_numbers" => frames(20, 5, "") + frames(21, 5, word(40)) + frames(22, 5, "") + frames(23, 5, word(-2)) +
                    frames(24, 5, ""),
  "item_times" => (26..35).map { |code| frames(code, 5, code.odd? && code < 34 ? word(86_400) : "") }.join +
                  frames(27, 5, word(0)) + frames(29, 5, word(-1)) + frames(31, 5, word(0x7FFFFFFF)),
  "item_categories" => frames(70, 5, "") + frames(71, 5, texts("c", "v" * 300, "d", "w") + "\0") +
                       frames(71, 5, "\0") + frames(71, 5, "c"),
  "item_alarm" => frames(109, 5, "") + frames(110, 5, word(1) + word(0) + word(30) + word(2)) +
                  frames(110, 5, word(1) + word(1) + word(5) + word(257)) + frames(110, 5, "\0" * 16),
  # Documents and file links: lists and positions on an item, then each
  # entry code on a handle the lists may give, then handle 0 (the defaults).
  "document_lists" => frames(36, 5, "") + frames(37, 5, "") + frames(38, 5, word(0)) + frames(38, 5, word(-4)) +
                      frames(39, 5, word(1)) + frames(39, 5, word(0x7FFFFFFF)) + frames(39, 5, "\1"),
  "document_fields" => (40..48).map { |code| frames(code, 2, code.odd? ? texts("題" * 200) : "") }.join +
                       frames(48, 2, texts("n" * 300)) + frames(48, 2, "") + frames(41, 2, "x" * 20),
  "document_text" => frames(43, 2, texts("a\nb\rc\r\n" + "表" * 5000)) + frames(42, 2, "") +
                     frames(43, 2, "no nul\r"),
  "document_delete_assign_focus" => frames(50, 2, word(3)) + frames(50, 2, word(0)) + frames(50, 2, "") +
                                    frames(53, 2, "") + frames(49, 2, "") + frames(42, 2, "") + frames(40, 2, ""),
  "filelink_lists" => frames(54, 5, "") + frames(55, 5, "") + frames(56, 5, word(9)) + frames(57, 5, word(0)) +
                      frames(57, 5, word(-1)),
  "filelink_fields" => (58..65).map { |code| frames(code, 3, code.odd? ? texts("www.語" * 100) : "") }.join +
                       frames(66, 3, "") + frames(61, 3, texts("Http://x")) + frames(66, 3, ""),
  "filelink_assign_execute" => frames(68, 3, word(4)) + frames(68, 3, word(0)) +
                               frames(61, 3, texts("a;$(touch x)`id`|&")) + frames(69, 3, "") + frames(67, 3, "") +
                               frames(69, 3, ""),
  "document_link_no_item" => ((36..50).to_a + (53..69).to_a).map { |code| frames(code, 0, word(1)) }.join,
  "item_property_no_item" => (18..35).reject { |code| code == 25 }.map { |code| frames(code, 0, word(1)) }.join +
                             [70, 71, 109, 110].map { |code| frames(code, 0, word(1)) }.join,
  # Project options: a read, whole and cut-short records, handle 0.
  "project_option" => frames(83, 5, "") + frames(84, 6, word(5) + word(1) + word(0) + word(1) + word(0) + word(1)) +
                      frames(84, 5, word(9) + word(0) * 5) + frames(83, 7, word(1)),
  "project_option_short" => frames(84, 5, word(5) + word(1) * 3) + frames(84, 5, "\1\0") + frames(84, 5, ""),
  "project_option_no_item" => frames(83, 0, "") + frames(84, 0, word(0) + word(1) * 5),
  # Editor: the line index of 100 is the header value; texts with every kind of break.
  "edit_selection" => frames(85, 0, "") + frames(86, 0, word(2)) + frames(87, 0, "") + frames(88, 0, word(-1)) +
                      frames(90, 0, "") + frames(91, 0, texts("a\r\nb\rc\n語")) + frames(91, 0, "\0"),
  "edit_caret" => frames(92, 0, "") + frames(93, 0, word(3)) + frames(94, 0, "") + frames(95, 0, word(7)) +
                  frames(96, 0, "") + frames(97, 0, word(1)) + frames(98, 0, word(5)),
  "edit_lines" => frames(99, 0, word(1)) + frames(100, 1, texts("x\n\ny")) + frames(100, 0xFFFFFFFF, texts("")) +
                  frames(100, 3, texts("語" * 3000)),
  "edit_counts" => (101..104).map { |code| frames(code, 0, "") }.join + frames(105, 0, word(2) + word(9)),
  "edit_short_payloads" => [86, 88, 93, 95, 97, 98, 99, 105].map { |code| frames(code, 0, "\x01") }.join +
                           frames(91, 0, "") + frames(100, 2, "") + frames(91, 0, "no nul"),
  # Dialogs: as the extension sends them, then cut short.
  "dialogs" => frames(106, 0, word(1) + word(0) + word(1) + word(5) + texts("選ぶ") + "\0\0\0") +
               frames(107, 0, word(86_400) + texts("") + "\0\0\0") + frames(107, 0, word(-1) + texts("日付")) +
               frames(108, 0, texts("題", "名前", "beta", "alpha\r\nbeta\rgamma\n")),
  "dialogs_short" => frames(106, 0, word(1) + "\1") + frames(107, 0, "\5") + frames(108, 0, "ab"),
}
dir = File.join(__dir__, "corpus")
Dir.mkdir(dir) unless Dir.exist?(dir)
seeds.each { |name, bytes| File.binwrite(File.join(dir, name), bytes) }

def write_seeds(folder, seeds)
  dir = File.join(__dir__, folder)
  Dir.mkdir(dir) unless Dir.exist?(dir)
  seeds.each { |name, bytes| File.binwrite(File.join(dir, name), bytes) }
end

head = '{"format":"zentrella-projects","version":1,"projects":'
write_seeds("project_corpus", {
  "sample" => File.binread(File.join(__dir__, "../../examples/sample-projects.json")),
  "empty" => head + "[]}",
  "one_project" => head + '[{"kind":"project","title":"受信箱"}]}',
  "item_parts" => head + '[{"kind":"project","options":{"relative_path":true},"children":[{"kind":"task",' \
                  '"title":"t","progress":50,"priority":-3,"message_id":"m","dates":{"due":"2024-05-01T10:30:00",' \
                  '"create":"2024-01-31T00:00:00"},"alarm":{"enabled":true,"count":2,"unit":1},' \
                  '"documents":[{"title":"d","text":"a\\nb"}],"links":[{"file_name":"x.txt"}],' \
                  '"categories":[{"name":"c","value":"v"}],"children":[{"kind":"folder"}]}]}]}',
  "current_place" => head + '[{"kind":"project","children":[{"kind":"folder","children":[{"kind":"task",' \
                     '"documents":[{"title":"d"}]}]}]}],"current":{"folder":[0,0],"item":[0,0,0],"document":0}}',
})

# One command record, 2076 bytes, as the plug-in writes it.
def command_record(number, caption, script, flags = 0)
  [caption, "Scriptlink_ExtCommand#{number}", 0, 0, number, -1, 0, script, "-v", "out.txt", flags]
    .pack("a256 a256 s< S< L< l< L< a261 a1025 a261 C")
end

def command_file(*records) = [records.size].pack("l<") + records.join

write_seeds("command_corpus", {
  "two_commands" => command_file(command_record(10, "Hello", "hello.rb"), command_record(11, "整理", "tools/t.rb", 3)),
  "one_command" => command_file(command_record(12, "x", "../x.rb", 1)),
  "empty_list" => [0].pack("l<"),
  "short_record" => command_file(command_record(10, "cut", "c.rb"))[0, 600],
})
