#!/usr/bin/env ruby
# The reference part of docs/scripting.md, made from the call-seq comments of
# the extension's sources (the same text `ri Ztl::ZtlItem#title` shows), so
# the two cannot tell different stories.
#
#   scripts/scripting_reference.rb           rewrites the reference in docs/scripting.md
#   scripts/scripting_reference.rb --check   exits 1 when docs/scripting.md is not current
require "rdoc"
require "tmpdir"

module ScriptingReference
  ROOT = File.expand_path("..", __dir__)
  SOURCES = File.join(ROOT, "extension", "src")
  DOC = File.join(ROOT, "docs", "scripting.md")
  BEGIN_MARK = "<!-- reference: made by scripts/scripting_reference.rb from extension/src; edit the comments there -->"
  END_MARK = "<!-- end of reference -->"
  # The module first, then its classes in the order a script meets them.
  ORDER = %w[Ztl Ztl::ZtlItem Ztl::ZtlItemDocument Ztl::ZtlFileLink Ztl::ZtlProjectOption Ztl::Edit Ztl::Error].freeze

  module_function

  # The RDoc store of the extension's sources (ri output to a scratch folder).
  def store(sources = SOURCES)
    Dir.mktmpdir("ztl-rdoc") do |out|
      options = RDoc::Options.new
      options.setup_generator("ri")
      options.op_dir = File.join(out, "ri")
      options.files = [sources]
      options.quiet = true
      options.verbosity = 0
      rdoc = RDoc::RDoc.new
      rdoc.document(options)
      return rdoc.store
    end
  end

  def markdown(comment)
    text = comment.respond_to?(:parse) ? comment.parse : comment
    RDoc::Markup::ToMarkdown.new.convert(text).strip
  end

  def method_section(method)
    lines = ["#### `#{method.full_name}`", ""]
    lines << "```ruby" << method.call_seq.strip << "```" << "" if method.call_seq
    lines << markdown(method.comment) << ""
  end

  # A class registered from several files has a comment from each; only the
  # file that describes it says anything.
  def class_comment(mod)
    said = mod.comment_location.map(&:first).reject { |comment| comment.to_s.strip.empty? }
    said.map { |comment| markdown(comment) }.join("\n\n")
  end

  def class_section(mod)
    lines = ["### #{mod.full_name}", "", class_comment(mod), ""]
    unless mod.constants.empty?
      lines << "| constant | value | meaning |" << "|---|---|---|"
      mod.constants.each do |c|
        value = c.value.to_s.match?(/\A-?\d+\z/) ? c.value : "String"
        lines << "| `#{mod.full_name}::#{c.name}` | #{value} | #{markdown(c.comment)} |"
      end
      lines << ""
    end
    methods = mod.method_list.sort_by { |m| [m.singleton ? 0 : 1, m.name] }
    methods.each { |m| lines.concat(method_section(m)) }
    lines
  end

  def reference(loaded = store)
    mods = loaded.all_classes_and_modules.select { |m| m.full_name.start_with?("Ztl") }
    mods = mods.sort_by { |m| ORDER.index(m.full_name) || ORDER.size }
    body = mods.flat_map { |m| class_section(m) }
    ([BEGIN_MARK, ""] + body + [END_MARK]).join("\n") + "\n"
  end

  # docs/scripting.md with its reference part replaced by text.
  def with_reference(text, document = File.read(DOC))
    first = document.index(BEGIN_MARK) or abort "#{DOC}: no line #{BEGIN_MARK}"
    last = document.index(END_MARK, first) or abort "#{DOC}: no line #{END_MARK}"
    document[0...first] + text + document[(last + END_MARK.size + 1)..].to_s
  end
end

if $PROGRAM_NAME == __FILE__
  current = File.read(ScriptingReference::DOC)
  wanted = ScriptingReference.with_reference(ScriptingReference.reference, current)
  if ARGV.include?("--check")
    exit 0 if wanted == current
    warn "docs/scripting.md is not current: run scripts/scripting_reference.rb"
    exit 1
  end
  File.write(ScriptingReference::DOC, wanted) unless wanted == current
end
