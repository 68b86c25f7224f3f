# ztl as a gem, for scripts started outside the host (`zentrella station`):
#   gem build ztl.gemspec && gem install --local ztl-*.gem
# Installing compiles the extension (extension/extconf.rb) and makes its ri
# data from the call-seq comments of its sources.
version_header = File.read(File.join(__dir__, "extension", "src", "version.h"))

Gem::Specification.new do |spec|
  spec.name = "ztl"
  spec.version = version_header[/#define ZTL_EXTENSION_VERSION "([^"]+)"/, 1]
  spec.summary = "Ruby scripts for the Zentrella task manager"
  spec.description = "The ztl extension: require \"ztl\" connects a script to a running Zentrella " \
                     "(the host that started it, or the station) and drives its projects, items and editor."
  spec.authors = ["The Scriptlink developers"]
  spec.license = "Nonstandard"
  spec.required_ruby_version = ">= 3.1"

  spec.files = Dir.chdir(__dir__) do
    Dir["extension/extconf.rb", "extension/ztl.map", "extension/src/*.{c,cpp,h}", "extension/src/.document",
        "platform/include/**/*.h", "platform/src/*.{cpp,h}", "shared/include/**/*.h",
        "docs/scripting.md", "README.md"]
  end
  spec.extensions = ["extension/extconf.rb"]
  spec.require_paths = ["lib"]
  spec.extra_rdoc_files = Dir.chdir(__dir__) { Dir["extension/src/*.c"] } + ["docs/scripting.md"]
  spec.rdoc_options = ["--main", "docs/scripting.md", "--title", "ztl"]
end
