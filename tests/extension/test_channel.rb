# The exchange itself: chunking both ways, replies that cannot be trusted, a
# host that dies, two scripts on one channel, a reply too large to hold.
require "fake_host"

class TestChannel < Minitest::Test
  include FakeHostSupport

  def test_requests_are_cut_into_chunks_of_8172_bytes
    host = fake_host(default: "words 1")
    out = run_ok(<<~RUBY, host)
      show { ztl_exec_command("x" * (8172 - 11)) }
      show { ztl_exec_command("x" * (8173 - 11)) }
      show { ztl_exec_command("y" * 20000) }
      show { ztl_focus_pain }
    RUBY
    assert_equal "true\ntrue\ntrue\n1\n", out
    sent = host.requests
    assert_equal [1, 2, 3, 1], sent.map(&:chunks)
    assert_equal [8172, 8173, 20011, 0], sent.map { |r| r.payload.bytesize }
    assert_equal "y" * 20000 + "\0" * 11, sent[2].payload
  end

  def test_a_long_reply_is_taken_chunk_by_chunk
    text = "t" * 19999 # with its NUL: 20000 bytes, chunks of 8172, 8172 and 3656
    host = fake_host(replies: ["text #{text}", "words 5"])
    out = run_ok("s = ztl_path\nshow { [s.bytesize, s == 't' * 19999] }\nshow { ztl_version }", host)
    assert_equal "[19999, true]\n5\n", out
    assert_equal 2, host.log_lines.count("ack")
  end

  # A long text is copied from the frames straight into its String: it ends at
  # its first NUL wherever that falls, or takes every byte when there is none.
  def test_a_long_text_ends_at_its_first_nul_in_any_chunk
    host = fake_host(replies: ["fill 300000", "fill 300000 100000", "fill 300000 10", "fill 200 7", "words 5"])
    out = run_ok(<<~RUBY, host)
      3.times { s = ztl_path; show { [s.bytesize, s.count("x"), s.encoding.to_s] } }
      show { ztl_path }
      show { ztl_version }
    RUBY
    assert_equal "[300000, 300000, \"UTF-8\"]\n[100000, 100000, \"UTF-8\"]\n[10, 10, \"UTF-8\"]\n" \
                 "\"xxxxxxx\"\n5\n", out
  end

  # A text goes from the script's String as it is, up to its first NUL, with
  # one NUL after it, however many chunks it takes.
  def test_a_text_is_sent_up_to_its_first_nul_with_one_nul
    host = fake_host(replies: ["words 4660", "words 1", "words 1", "words 1"])
    out = run_ok(<<~RUBY, host)
      item = ztl_current_item
      long = "z" * 30000
      show { item.send(:title=, long) }
      show { item.send(:title=, "ab\\0cd") }
      show { long.frozen? }
    RUBY
    assert_equal "true\ntrue\nfalse\n", out
    titles = host.requests.drop(1).map(&:payload)
    assert_equal ["z" * 30000 + "\0", "ab\0"], titles
  end

  def test_malformed_replies_are_refused_and_the_channel_closes
    cases = {
      "chunk larger than a frame" => "frames 9000 9000 1",
      "chunks beyond the total" => "frames 4 4 0 4 4 1",
      "last chunk short of the total" => "frames 8 4 1",
      "total changes between chunks" => "frames 9000 8172 0 20000 828 1",
      "empty chunk that is not the last" => "frames 4 0 0",
      "empty reply with bytes" => "frames 0 4 1",
    }
    cases.each do |what, frames|
      host = fake_host(replies: [frames], default: "words 1")
      out = run_ok("show { ztl_version }\nshow { ztl_version }", host)
      assert_equal "ERR Ztl::Error: Malformed reply from Zentrella\n" \
                   "ERR Ztl::Error: Connection to Zentrella is broken\n", out, what
      assert_equal 1, host.requests.size, "#{what}: nothing is sent after a refused reply"
    end
  end

  # A client that died inside its exchange leaves the host's last signal set,
  # and an answer in the frame can belong to another request.
  def test_only_the_answer_to_this_request_is_taken
    host = fake_host(replies: ["stale words 1", "words 5"])
    assert_equal "1\n5\n", run_ok("show { ztl_version }\nsleep 0.2\nshow { ztl_version }", host)

    host = fake_host(replies: ["recode words 5"], default: "words 1")
    out = run_ok("show { ztl_version }\nshow { ztl_version }", host)
    assert_equal "ERR Ztl::Error: Malformed reply from Zentrella\n" \
                 "ERR Ztl::Error: Connection to Zentrella is broken\n", out
  end

  def test_a_host_that_dies_during_a_request
    host = fake_host(replies: ["die"])
    out = run_ok("show { ztl_current_item }\nshow { ztl_version }", host)
    assert_equal "ERR Ztl::Error: Zentrella has gone away\nERR Ztl::Error: Zentrella has gone away\n", out
  end

  def test_two_scripts_on_one_channel_take_turns
    host = fake_host(default: "echo")
    script = ->(letter) { "20.times { exit 1 unless ztl_exec_command('#{letter}' * 20000) }" }
    children = %w[a b].map do |letter|
      Process.spawn({ "ZTL_NAMESPACE" => host.namespace }, RbConfig.ruby, "-I", STAGE, "-e",
                    "require 'ztl'; include Ztl; " + script.call(letter))
    end
    statuses = Timeout.timeout(HANG_GUARD) { children.map { |pid| Process.wait2(pid)[1] } }
    assert statuses.all?(&:success?)
    payloads = host.requests.map(&:payload)
    assert_equal 40, payloads.size
    expected = %w[a b].map { |letter| letter * 20000 + "\0" * 11 }
    assert payloads.all? { |p| expected.include?(p) }, "every request arrives whole"
  end

  def test_a_reply_too_large_to_hold_is_out_of_memory_and_the_channel_goes_on
    skip "address-space limits do not mix with the sanitizer runtime" if SANITIZED
    host = fake_host(replies: ["fill 67108864", "words 31002"])
    out = run_ok(<<~RUBY, host)
      vm = File.read("/proc/self/status")[/VmSize:\\s+(\\d+)/, 1].to_i * 1024
      Process.setrlimit(:AS, vm + 16 * 1024 * 1024)
      show { ztl_path }
      show { ztl_version }
    RUBY
    assert_equal "ERR RuntimeError: Out of Memory\n31002\n", out
  end

  # A station outlives its channels: a closed channel must end the wait of a
  # client, not only the end of the host process.
  def test_a_host_that_closes_the_channel_while_it_lives
    host = fake_host(replies: ["words 31002", "close"])
    started = Process.clock_gettime(Process::CLOCK_MONOTONIC)
    out = run_ok("show { ztl_version }\nshow { ztl_current_item }\nshow { ztl_version }", host)
    assert_equal "31002\nERR Ztl::Error: Zentrella has gone away\nERR Ztl::Error: Zentrella has gone away\n", out
    assert_operator Process.clock_gettime(Process::CLOCK_MONOTONIC) - started, :<, 5
    assert_equal 2, host.requests.size
  end

  def start_stuck_script(host, code)
    reader, writer = IO.pipe
    pid = Process.spawn({ "ZTL_NAMESPACE" => host.namespace, "ZTL_CHANNEL" => nil }, RbConfig.ruby, "-I", STAGE,
                        "-e", PRELUDE + "require 'ztl'\ninclude Ztl\n$stdout.sync = true\n" + code, out: writer)
    writer.close
    Timeout.timeout(HANG_GUARD) { sleep 0.01 until host.log_lines.include?("hanging") }
    [pid, reader]
  end

  def ended_within(pid, seconds)
    deadline = Process.clock_gettime(Process::CLOCK_MONOTONIC) + seconds
    loop do
      done, status = Process.wait2(pid, Process::WNOHANG)
      return status if done
      if Process.clock_gettime(Process::CLOCK_MONOTONIC) > deadline
        Process.kill(:KILL, pid)
        Process.wait(pid)
        return nil
      end
      sleep 0.01
    end
  end

  def test_a_request_the_host_never_answers_ends_on_the_interpreters_signals
    %w[INT TERM].each do |name|
      host = fake_host(replies: ["hang"])
      pid, reader = start_stuck_script(host, "ztl_version\nputs 'answered'")
      Process.kill(name, pid)
      status = ended_within(pid, 3)
      refute_nil status, "#{name}: the script did not end"
      assert_equal Signal.list.fetch(name), status.termsig, "#{name}: #{status.inspect}"
      assert_equal "", reader.read
    end
  end

  # Interrupts that raise nothing (a child process of the script ended, a trap
  # handler returned) leave the request to wait for its answer.
  def test_interrupts_that_raise_nothing_leave_the_request_to_its_answer
    host = fake_host(replies: ["after 600 words 5", "after 600 words 6"])
    out = run_ok(<<~RUBY, host)
      fork { sleep 0.2; exit! }
      show { ztl_version }
      trap("USR1") { $stdout.print "trapped " }
      me = Process.pid
      fork { sleep 0.2; Process.kill(:USR1, me); exit! }
      show { ztl_version }
    RUBY
    assert_equal "5\ntrapped 6\n", out
  end

  # Interrupted in the middle of an exchange, the channel is out of step: what
  # follows fails rather than reading what the host writes late.
  def test_an_interrupted_request_breaks_the_channel
    host = fake_host(replies: ["hang"])
    pid, reader = start_stuck_script(host, <<~RUBY)
      show { ztl_version }
      show { ztl_version }
    RUBY
    Process.kill(:INT, pid)
    status = ended_within(pid, 3)
    refute_nil status, "the script did not end"
    assert status.success?, status.inspect
    assert_equal "ERR Interrupt: \nERR Ztl::Error: Connection to Zentrella is broken\n", reader.read
    assert_equal 1, host.requests.size
  end

  # A request that waits long gives up the interpreter's lock: other threads
  # run, and Thread#kill ends the waiting one.
  def test_other_threads_run_while_a_request_waits_and_can_end_it
    host = fake_host(replies: ["hang"])
    pid, reader = start_stuck_script(host, <<~RUBY)
      waiting = Thread.new { ztl_version }
      sleep 0.2
      puts "main runs"
      waiting.kill
      puts(waiting.join(2) ? "ended" : "still waiting")
      show { ztl_version }
    RUBY
    status = ended_within(pid, 5)
    refute_nil status, "the script did not end"
    assert_equal "main runs\nended\nERR Ztl::Error: Connection to Zentrella is broken\n", reader.read
  end
end
