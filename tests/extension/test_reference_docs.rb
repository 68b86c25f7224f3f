# The reference cannot drift from the code: every method and constant that
# Ruby reports for the loaded extension has its RDoc entry (a call-seq and a
# text), nothing documented is missing from the code, and docs/scripting.md
# holds the reference as the sources give it today.
require "fake_host"
require_relative "../../scripts/scripting_reference"

class TestReferenceDocs < Minitest::Test
  include FakeHostSupport

  CLASSES = %w[Ztl Ztl::ZtlItem Ztl::ZtlItemDocument Ztl::ZtlFileLink Ztl::ZtlProjectOption Ztl::Edit Ztl::Error].freeze

  # What the loaded extension defines: per class, its class methods, its
  # instance methods and its constants, as names.
  def loaded_names
    out = run_ok(<<~RUBY, fake_host)
      classes = #{CLASSES.inspect}.map { |n| Object.const_get(n) }
      Marshal.dump(classes.to_h do |c|
        [c.name, [c.singleton_methods(false).map(&:to_s).sort,
                  (c.instance_methods(false) + c.private_instance_methods(false)).map(&:to_s).sort
                    .reject { |m| c == Ztl },
                  c.constants(false).reject { |k| c.const_get(k).is_a?(Module) }.map(&:to_s).sort]]
      end, $stdout)
    RUBY
    Marshal.load(out)
  end

  def documented_names(store)
    CLASSES.to_h do |name|
      mod = store.find_class_or_module(name)
      next [name, [[], [], []]] unless mod
      methods = mod.method_list
      [name, [methods.select(&:singleton).map(&:name).sort, methods.reject(&:singleton).map(&:name).sort,
              mod.constants.map(&:name).sort]]
    end
  end

  def test_every_method_and_constant_is_documented_and_nothing_else
    store = ScriptingReference.store
    loaded = loaded_names
    documented = documented_names(store)
    CLASSES.each do |name|
      %w[class\ methods instance\ methods constants].each_with_index do |what, i|
        assert_equal loaded.fetch(name)[i], documented.fetch(name)[i], "#{what} of #{name}: code and RDoc differ"
      end
    end
    # A module function is also a private instance method of Ztl: the
    # documented class methods must cover those too.
    assert_operator loaded.fetch("Ztl")[0].size, :>=, 24
  end

  def test_every_entry_says_how_to_call_it_and_what_it_gives
    store = ScriptingReference.store
    thin = CLASSES.flat_map do |name|
      store.find_class_or_module(name).method_list.reject do |m|
        m.call_seq.to_s.strip != "" && m.comment.parse.parts.size >= 2
      end.map(&:full_name)
    end
    assert_empty thin, "entries without a call-seq, a text and an example"
  end

  def test_scripting_md_holds_the_current_reference
    document = File.read(ScriptingReference::DOC)
    # Not assert_equal: a diff of the whole page would bury the one line that matters.
    assert ScriptingReference.with_reference(ScriptingReference.reference, document) == document,
           "docs/scripting.md is not current: run scripts/scripting_reference.rb"
  end
end
