# Writes the seed inputs of serve_frames_fuzzer into corpus/: a few valid
# requests as the extension sends them. An input is a sequence of frames, each
# a 20-byte header (code, value, total length, chunk length, last) followed by
# the chunk's bytes.
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
}
dir = File.join(__dir__, "corpus")
Dir.mkdir(dir) unless Dir.exist?(dir)
seeds.each { |name, bytes| File.binwrite(File.join(dir, name), bytes) }
