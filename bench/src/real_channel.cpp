#include "real_channel.h"

#include <atomic>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <platform/named_mapping.h>
#include <ztl/channel.h>

#include "channel/comm_to_ruby.h"
#include "controller/serve_request.h"
#include "channel_client.h"
#include "host_binding/host_api_table.h"

namespace bench {
namespace {

constexpr ZtlHandle kCurrentItem = 0x00C0FFEE;
constexpr std::uint32_t kSpecialItemCode = 1;
constexpr std::int32_t kCurrentItemSelector = 0;
constexpr std::int32_t kSelectedItemsSelector = 9;
// Not a request code of the system: the bench host answers it with its
// prepared bulk reply through the channel's one reply path.
constexpr std::uint32_t kBulkCode = 0xB0;

// The fake host of the serving process (set before it is forked): constant
// answers, nothing to free.
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

// Handles 1, 2, ... and the closing 0: bytes / 4 words.
std::vector<ZtlHandle> item_list(std::size_t bytes) {
  std::vector<ZtlHandle> items(bytes / 4);
  for (std::size_t i = 0; i + 1 < items.size(); ++i) items[i] = static_cast<ZtlHandle>(i + 1);
  return items;
}

std::span<const std::uint8_t> bulk_reply() {
  return {reinterpret_cast<const std::uint8_t*>(g_selected_items.data()), g_selected_items.size() * sizeof(ZtlHandle)};
}

void reply_bulk(scriptlink::RequestContext& context) { context.reply(bulk_reply()); }

struct Control {
  std::atomic<int> stop{0};
};

// The plug-in's channel object and its dispatch loop, with the bulk code
// served through the same exchange path by a handler of ours.
void serve(std::int32_t number, const Control& control, const std::function<void()>& ready) {
  const auto announcement =
      platform::NamedMapping::create_or_open(ZTL_ANNOUNCE_MAPPING_NAME, ZTL_ANNOUNCE_MAPPING_SIZE);
  const scriptlink::HostApi host = fake_host();
  const scriptlink::HandlerEnv env{&host, {}, {}};
  auto server = scriptlink::MakeDispatchServer(env);
  scriptlink::DispatchServer& dispatch = *server;
  scriptlink::TCommToRuby comm(number, announcement, std::move(server));
  ready();
  if (g_selected_items.empty()) {
    while (control.stop.load() == 0) comm.DispatchRequests();
    return;
  }
  scriptlink::FrameChannel& channel = comm.channel();
  while (control.stop.load() == 0) {
    if (!channel.WaitForRequest(std::chrono::milliseconds(ZTL_DISPATCH_WAIT_MS))) continue;
    if (channel.CopyHeader().code == kBulkCode) {
      scriptlink::ServeRequestWith(channel, reply_bulk, dispatch.state(), env);
    } else {
      scriptlink::ServeRequest(channel, dispatch.state(), env);
    }
  }
}

std::int32_t next_channel_number() {
  static std::int32_t number = 4000;
  return ++number;
}

// A reply of the extension's client, freed as the client's caller frees it.
struct Reply {
  ZtlReply raw{nullptr, 0};
  Reply() = default;
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;
  ~Reply() { ztl_reply_free(&raw); }
};

void send(std::uint32_t code, std::int32_t word, Reply& reply) {
  ztl_reply_free(&reply.raw);  // the previous reply goes before the next request
  if (ztl_channel_send(code, 0, &word, sizeof word, &reply.raw) != ZTL_SEND_OK) {
    throw std::runtime_error(std::string("request failed: ") + ztl_channel_last_error());
  }
}

bool holds_item_list(const Reply& reply, std::size_t bytes) {
  if (reply.raw.length != bytes) return false;
  const auto expected = item_list(bytes);
  return std::memcmp(reply.raw.data, expected.data(), bytes) == 0;
}

}  // namespace

std::string real_channel_missing() { return ""; }

struct RealHost::State {
  SharedRegion region{sizeof(Control)};
  Control& control = *new (region.data()) Control();
  std::optional<ServerProcess> server;
};

RealHost::RealHost(const CpuSet& cpus, std::size_t bulk_bytes) : state_(std::make_unique<State>()) {
  g_selected_items = bulk_bytes == 0 ? std::vector<ZtlHandle>() : item_list(bulk_bytes);
  const std::int32_t number = next_channel_number();
  Control& control = state_->control;
  state_->server.emplace(cpus, [number, &control](const std::function<void()>& ready) {
    serve(number, control, ready);
  });
}

RealHost::~RealHost() = default;

void RealHost::stop() {
  state_->control.stop.store(1);
  if (state_->server) state_->server->finish();
  state_->server.reset();
}

struct RealClient::State {
  Reply small;
  Reply bulk;
  Reply list;
};

RealClient::RealClient() : state_(std::make_unique<State>()) {
  const ZtlConnectStatus status = ztl_channel_connect();
  if (status != ZTL_CONNECT_OK) throw std::runtime_error(ztl_connect_message(status));
}

RealClient::~RealClient() = default;

void RealClient::round_trips(std::size_t n) {
  Reply& reply = state_->small;
  for (std::size_t i = 0; i < n; ++i) {
    send(kSpecialItemCode, kCurrentItemSelector, reply);
    std::uint32_t item = 0;
    if (reply.raw.length == 4) std::memcpy(&item, reply.raw.data, 4);
    if (item != kCurrentItem) throw std::runtime_error("the current item came back wrong");
  }
}

void RealClient::bulk_replies(std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) send(kBulkCode, 0, state_->bulk);
}

void RealClient::item_lists(std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) send(kSpecialItemCode, kSelectedItemsSelector, state_->list);
}

bool RealClient::bulk_replies_intact(std::size_t bytes) const {
  return holds_item_list(state_->bulk, bytes) && holds_item_list(state_->list, bytes);
}

}  // namespace bench
