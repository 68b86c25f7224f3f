#!/bin/sh
# Runs the Ruby interpreter on the arguments it is given: the interpreter-line
# arguments, the quoted script path and the script's options. The script then
# shares the host's terminal, as a console window would.
#
# An interpreter line of the form "#!/usr/bin/env ruby" hands over "ruby" as
# its first argument; the interpreter is run here already, so that name is
# dropped rather than taken for the script.
case "${1:-}" in
  ruby | */ruby | ruby[0-9]* | */ruby[0-9]*) [ "$#" -gt 1 ] && shift ;;
esac
exec ruby "$@"
