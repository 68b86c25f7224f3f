#include "real_channel.h"

#include <atomic>
#include <cstring>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <platform/named_mapping.h>
#include <ztl/channel.h>

#include "channel/comm_to_ruby.h"
#include "channel/serve_request.h"
#include "channel_client.h"
#include "child_sample.h"
#include "host_api_table.h"

namespace bench {
namespace {

constexpr ZtlHandle kCurrentItem = 0x00C0FFEE;
constexpr std::uint32_t kSpecialItemCode = 1;
constexpr std::int32_t kCurrentItemSelector = 0;
constexpr std::int32_t kSelectedItemsSelector = 9;
// Not a request code of the system: the bench host answers it with its
// prepared bulk reply straight through the channel's reply path.
constexpr std::uint32_t kBulkCode = 0xB0;

// The fake host of the serving process: constant answers, nothing to free.
std::vector<ZtlHandle> g_selected_items;

ZtlHandle current_item() { return kCurrentItem; }
ZtlHandle* selected_items() { return g_selected_items.data(); }
void free_item_entries(ZtlHandle*) {}
void exec_message_proc() {}

scriptlink::HostApi fake_host() {
  scriptlink::HostApi host;
  host.GetCurrnetItem = current_item;
  host.GetSelectedItems = selected_items;
  host.FreeItemEntries = free_item_entries;
  host.ExecMessageProc = exec_message_proc;
  return host;
}

// An item list of bytes / 4 words: handles 1, 2, ... and the closing 0.
std::vector<ZtlHandle> item_list(std::size_t bytes) {
  std::vector<ZtlHandle> items(bytes / 4);
  for (std::size_t i = 0; i + 1 < items.size(); ++i) items[i] = static_cast<ZtlHandle>(i + 1);
  return items;
}

struct Control {
  std::atomic<int> stop{0};
};

std::int32_t next_channel_number() {
  static std::int32_t number = 4000;
  return ++number;
}

std::span<const std::uint8_t> g_bulk_reply;

void reply_bulk(scriptlink::RequestContext& context) { context.reply(g_bulk_reply); }

// The host side: the plug-in's channel object, its dispatch loop serving
// requests until the client is done. The bulk code goes through the same
// exchange path with a handler that sends the prepared bytes.
void serve(std::int32_t number, const Control& control, const std::function<void()>& ready) {
  const auto announcement =
      platform::NamedMapping::create_or_open(ZTL_ANNOUNCE_MAPPING_NAME, ZTL_ANNOUNCE_MAPPING_SIZE);
  const scriptlink::HostApi host = fake_host();
  scriptlink::TCommToRuby comm(number, announcement, scriptlink::HandlerEnv{&host, {}, {}});
  ready();
  if (g_bulk_reply.empty()) {
    while (control.stop.load() == 0) comm.DispatchRequests();
    return;
  }
  scriptlink::FrameChannel& channel = comm.channel();
  while (control.stop.load() == 0) {
    if (!channel.WaitForRequest(std::chrono::milliseconds(ZTL_DISPATCH_WAIT_MS))) continue;
    if (channel.CopyHeader().code == kBulkCode) {
      scriptlink::ServeRequestWith(channel, reply_bulk, comm.state(), scriptlink::HandlerEnv{&host, {}, {}});
    } else {
      scriptlink::ServeRequest(channel, comm.state(), scriptlink::HandlerEnv{&host, {}, {}});
    }
  }
}

void connect_client() {
  const ZtlConnectStatus status = ztl_channel_connect();
  if (status != ZTL_CONNECT_OK) throw std::runtime_error(ztl_connect_message(status));
}

// One request through the extension's client; the reply belongs to the caller.
struct Reply {
  ZtlReply raw{nullptr, 0};
  Reply() = default;
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;
  ~Reply() { ztl_reply_free(&raw); }
};

void send(std::uint32_t code, std::int32_t word, Reply& reply) {
  ztl_reply_free(&reply.raw);
  if (ztl_channel_send(code, 0, &word, sizeof word, &reply.raw) != ZTL_SEND_OK) {
    throw std::runtime_error(std::string("request failed: ") + ztl_channel_last_error());
  }
}

std::uint32_t first_word(const Reply& reply) {
  std::uint32_t word = 0;
  if (reply.raw.length >= 4) std::memcpy(&word, reply.raw.data, 4);
  return word;
}

template <class Client>
Sample measure_against_host(const Placement& placement, Client&& client) {
  SharedRegion region(sizeof(Control));
  auto& control = *new (region.data()) Control();
  const std::int32_t number = next_channel_number();
  return run_pair(
      placement, [&](const std::function<void()>& ready) { serve(number, control, ready); },
      [&] {
        Sample sample = sample_in_child(client);
        control.stop.store(1);
        return sample;
      });
}

bool is_item_list(const Reply& reply, std::size_t bytes) {
  if (reply.raw.length != bytes) return false;
  const auto expected = item_list(bytes);
  return std::memcmp(reply.raw.data, expected.data(), bytes) == 0;
}

}  // namespace

std::string real_channel_missing() { return ""; }

Sample real_round_trip(const Placement& placement, const Budget& budget) {
  g_bulk_reply = {};
  return measure_against_host(placement, [&] {
    connect_client();
    Reply reply;
    return measure(
        [&](std::size_t n) {
          for (std::size_t i = 0; i < n; ++i) {
            send(kSpecialItemCode, kCurrentItemSelector, reply);
            if (reply.raw.length != 4 || first_word(reply) != kCurrentItem) {
              throw std::runtime_error("the current item came back wrong");
            }
          }
        },
        budget);
  });
}

Sample real_bulk(const Placement& placement, std::size_t bytes, const Budget& budget) {
  g_selected_items = item_list(bytes);
  g_bulk_reply = std::span(reinterpret_cast<const std::uint8_t*>(g_selected_items.data()), bytes);
  return measure_against_host(placement, [&] {
    connect_client();
    Reply reply;
    Sample sample = measure(
        [&](std::size_t n) {
          for (std::size_t i = 0; i < n; ++i) send(kBulkCode, 0, reply);
        },
        budget);
    if (!is_item_list(reply, bytes)) throw std::runtime_error("the bulk reply came back wrong");
    return sample;
  });
}

Sample real_item_list(const Placement& placement, std::size_t bytes, const Budget& budget) {
  g_selected_items = item_list(bytes);
  g_bulk_reply = {};
  return measure_against_host(placement, [&] {
    connect_client();
    Reply reply;
    Sample sample = measure(
        [&](std::size_t n) {
          for (std::size_t i = 0; i < n; ++i) send(kSpecialItemCode, kSelectedItemsSelector, reply);
        },
        budget);
    if (!is_item_list(reply, bytes)) throw std::runtime_error("the item list came back wrong");
    return sample;
  });
}

}  // namespace bench
