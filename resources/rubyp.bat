#!/bin/sh
# Runs the Ruby interpreter on the arguments it is given: the interpreter-line
# arguments, the quoted script path and the script's options. The script then
# shares the host's terminal, as a console window would.
exec ruby "$@"
