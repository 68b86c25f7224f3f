/* The typed request helpers on which every method is built. */
#include "request_helpers.h"

#include <ruby/thread.h>
#include <limits.h>
#include <string.h>
#include <sys/mman.h>

#include <ztl/channel.h>

#include "conversions.h"
#include "wrappers.h"
#include "ztl.h"

static void raise_send_failure(ZtlSendStatus status) {
  if (status == ZTL_SEND_OUT_OF_MEMORY) rb_raise(rb_eRuntimeError, "Out of Memory");
  rb_raise(ztl_eError, "%s", ztl_channel_last_error());
}

/* A request whose wait goes on gives up the interpreter's lock for the rest
 * of it, so that signals and Thread#raise are not held up by a host that is
 * slow or stuck: the unblocking function raises the cancel flag, and the
 * client's waits look at it between their slices. */
typedef struct Blocking {
  int cancel;        /* set by the unblocking function */
  int pending_jump;  /* what an interrupt raised, re-raised once the client has returned */
} Blocking;

static void cancel_request(void* blocking) { __atomic_store_n(&((Blocking*)blocking)->cancel, 1, __ATOMIC_RELEASE); }

static VALUE check_interrupts(VALUE unused) {
  (void)unused;
  rb_thread_check_ints();
  return Qnil;
}

/* Called from inside the client's C++ frames: nothing may unwind through
 * them, so an interrupt's exception is caught here and raised by the caller
 * once the client has returned. An interrupt that raises nothing (a child
 * process ended, a trap handler returned) lets the wait go on: the request is
 * still the script's. The unblocking function only stores a flag, so it is
 * declared safe in a signal handler (else the interpreter would run a helper
 * thread that it joins, raising, on the way out). */
static void* run_without_gvl(void* (*body)(void*), void* arg, void* context) {
  Blocking* blocking = context;
  for (;;) {
    void* result = rb_nogvl(body, arg, cancel_request, blocking, RB_NOGVL_INTR_FAIL | RB_NOGVL_UBF_ASYNC_SAFE);
    if (result != NULL && !__atomic_load_n(&blocking->cancel, __ATOMIC_ACQUIRE)) return result;
    int state = 0;
    rb_protect(check_interrupts, Qnil, &state);
    if (state != 0) {
      blocking->pending_jump = state;
      return NULL;
    }
    __atomic_store_n(&blocking->cancel, 0, __ATOMIC_RELEASE);
  }
}

/* Where a text reply goes: a String made when the reply's length is known
 * (a short one after the exchange, from a buffer of its own). While the host writes the
 * next chunk, the pages the next chunks go to are made ready (a fresh String
 * of a long text is memory never touched, which the kernel would otherwise
 * fill page by page as the copy reaches it) and the bytes taken so far are
 * looked through for the text's NUL. */
typedef struct TextRoom {
  VALUE string; /* Qnil while the reply is in small */
  uint8_t small[256]; /* a short reply: its String is made after the exchange */
  uint8_t* bytes;
  size_t total;
  size_t ready;    /* bytes from the start made ready */
  size_t scanned;  /* bytes looked through for the NUL */
  size_t text_end; /* where the NUL is; total while none was seen */
} TextRoom;

enum { PAGE_BYTES = 4096, READY_AHEAD = 4 * ZTL_CHUNK_MAX, READY_FROM = 64 * 1024 };

static VALUE new_text_room(VALUE length) { return ztl_text_room((long)length); }

/* Makes the pages of [ready, up_to) present, whole pages only. */
static void make_ready(TextRoom* room, size_t up_to) {
  if (up_to > room->total) up_to = room->total;
  if (up_to <= room->ready) return;
#ifdef MADV_POPULATE_WRITE
  const uintptr_t first = ((uintptr_t)(room->bytes + room->ready) + PAGE_BYTES - 1) & ~(uintptr_t)(PAGE_BYTES - 1);
  const uintptr_t end = (uintptr_t)(room->bytes + up_to) & ~(uintptr_t)(PAGE_BYTES - 1);
  if (end > first) (void)madvise((void*)first, end - first, MADV_POPULATE_WRITE);
#endif
  room->ready = up_to;
}

/* The reply's every byte goes in, its NUL too; a reply without one (the
 * host's fault) still fits. */
static uint8_t* make_text_room(size_t total, void* context) {
  TextRoom* room = context;
  if (total > (size_t)LONG_MAX) return NULL;
  room->total = room->text_end = total;
  if (total <= sizeof room->small) {
    room->bytes = room->small;
    room->ready = total;
    return room->bytes;
  }
  /* Nothing may jump out of the client's frames: a String that cannot be
   * made is the client's out of memory, as a buffer of its own would be. */
  int state = 0;
  room->string = rb_protect(new_text_room, (VALUE)total, &state);
  if (state != 0) {
    rb_set_errinfo(Qnil);
    room->string = Qnil;
    return NULL;
  }
  room->bytes = (uint8_t*)RSTRING_PTR(room->string);
  room->ready = total < READY_FROM ? total : 0;
  make_ready(room, READY_AHEAD);
  return room->bytes;
}

static void text_room_taken(size_t received, void* context) {
  TextRoom* room = context;
  if (NIL_P(room->string)) return; /* a short reply is looked through once its String is made */
  make_ready(room, received + READY_AHEAD);
  if (room->text_end != room->total || received <= room->scanned) return;
  const uint8_t* nul = memchr(room->bytes + room->scanned, 0, received - room->scanned);
  if (nul != NULL) room->text_end = (size_t)(nul - room->bytes);
  room->scanned = received;
}

/* Sends, and raises for a failure once release (if any) has given back the
 * room of the caller's own: nothing may be lost on the way out. */
static ZtlReply send_parts_releasing(uint32_t code, uint32_t handle, const ZtlBytes* parts, size_t count,
                                     const ZtlReplyRoom* room, void (*release)(void*)) {
  Blocking state = {0, 0};
  const ZtlBlocking blocking = {run_without_gvl, &state, &state.cancel};
  ZtlReply reply;
  const ZtlSendStatus status = ztl_channel_send_parts(code, handle, parts, count, &reply, &blocking, room);
  if (status != ZTL_SEND_OK && release != NULL) release(room->context);
  if (status == ZTL_SEND_INTERRUPTED) {
    /* Interrupt, SignalException... as the interpreter would raise them. */
    if (state.pending_jump != 0) rb_jump_tag(state.pending_jump);
    rb_thread_check_ints();
    raise_send_failure(status);
  }
  /* Without a channel nothing is sent and every helper gives its default. */
  if (status != ZTL_SEND_OK && status != ZTL_SEND_NOT_CONNECTED) raise_send_failure(status);
  return reply;
}

/* A payload (or none) as the one part of a request. */
static ZtlBytes payload_part(const ZtlPayload* payload) {
  const ZtlBytes part = {payload == NULL ? NULL : ztl_payload_bytes(payload),
                         payload == NULL ? 0 : ztl_payload_length(payload)};
  return part;
}

static ZtlReply send_parts(uint32_t code, uint32_t handle, const ZtlBytes* parts, size_t count,
                           const ZtlReplyRoom* room) {
  return send_parts_releasing(code, handle, parts, count, room, NULL);
}

ZtlReply ztl_send(uint32_t code, uint32_t handle, const ZtlPayload* payload) {
  const ZtlBytes part = payload_part(payload);
  const ZtlReply reply = send_parts(code, handle, &part, 1, NULL);
  /* The payload's String must outlive the send, which runs without the lock. */
  if (payload != NULL) RB_GC_GUARD(((ZtlPayload*)payload)->buffer);
  return reply;
}

/* The reply goes straight into the String it becomes: a long text is copied
 * once on this side. Qundef for the empty reply. */
static VALUE request_text_room(uint32_t code, uint32_t handle, const ZtlPayload* payload) {
  TextRoom text_room; /* small is filled by the reply, not cleared first */
  text_room.string = Qnil;
  text_room.bytes = NULL;
  text_room.total = text_room.ready = text_room.scanned = text_room.text_end = 0;
  const ZtlReplyRoom room = {make_text_room, text_room_taken, &text_room};
  const ZtlBytes part = payload_part(payload);
  const ZtlReply reply = send_parts(code, handle, &part, 1, &room);
  if (payload != NULL) RB_GC_GUARD(((ZtlPayload*)payload)->buffer);
  if (reply.data == NULL) return Qundef;
  if (NIL_P(text_room.string)) return ztl_text_result(text_room.small, text_room.total);
  rb_str_set_len(text_room.string, (long)text_room.text_end);
  return text_room.string;
}

VALUE ztl_request_long_text(uint32_t code, uint32_t handle) { return request_text_room(code, handle, NULL); }

int32_t ztl_reply_word(const ZtlReply* reply, size_t index) {
  if (reply->data == NULL || reply->length / 4 <= index) return 0;
  return ztl_word_at(reply->data + index * 4);
}

typedef struct Reading {
  ZtlReply* reply;
  ZtlReplyReader read;
  VALUE context;
} Reading;

static VALUE run_reader(VALUE arg) {
  const Reading* reading = (const Reading*)arg;
  return reading->read(reading->reply, reading->context);
}

/* A reply read once into Ruby values: a short one (an item's children, its
 * categories) on the stack, a longer one in a buffer given back after. */
typedef struct ReadRoom {
  uint8_t small[512];
  uint8_t* heap;
} ReadRoom;

static uint8_t* make_read_room(size_t total, void* context) {
  ReadRoom* room = context;
  if (total <= sizeof room->small) return room->small;
  room->heap = malloc(total);
  return room->heap;
}

static void release_read_room(void* context) {
  ReadRoom* room = context;
  free(room->heap);
  room->heap = NULL;
}

static VALUE release_read_room_value(VALUE room) {
  release_read_room((void*)room);
  return Qnil;
}

VALUE ztl_request_read(uint32_t code, uint32_t handle, const ZtlPayload* payload, ZtlReplyReader read,
                       VALUE context) {
  ReadRoom room; /* small is filled by the reply, not cleared first */
  room.heap = NULL;
  const ZtlReplyRoom reply_room = {make_read_room, NULL, &room};
  const ZtlBytes part = payload_part(payload);
  ZtlReply reply = send_parts_releasing(code, handle, &part, 1, &reply_room, release_read_room);
  if (payload != NULL) RB_GC_GUARD(((ZtlPayload*)payload)->buffer);
  if (room.heap == NULL) return read(&reply, context);
  Reading reading = {&reply, read, context};
  return rb_ensure(run_reader, (VALUE)&reading, release_read_room_value, (VALUE)&room);
}

int ztl_request_words(uint32_t code, uint32_t handle, const ZtlPayload* payload, int32_t* words, size_t count) {
  ZtlReply reply = ztl_send(code, handle, payload);
  for (size_t i = 0; i < count; ++i) words[i] = ztl_reply_word(&reply, i);
  const int answered = reply.data != NULL;
  ztl_reply_free(&reply);
  return answered;
}

int32_t ztl_request_word(uint32_t code, uint32_t handle, const ZtlPayload* payload) {
  int32_t word;
  ztl_request_words(code, handle, payload, &word, 1);
  return word;
}

VALUE ztl_request_truth(uint32_t code, uint32_t handle, const ZtlPayload* payload) {
  return ztl_truth_result(ztl_request_word(code, handle, payload));
}

/* Handles up to the first 0 word; a reply cut short ends the list there. */
static VALUE read_item_list(const ZtlReply* reply, VALUE unused) {
  (void)unused;
  if (reply->data == NULL) return Qnil;
  size_t count = 0;
  while (count < reply->length / 4 && ztl_reply_word(reply, count) != 0) ++count;
  VALUE list = rb_ary_new_capa((long)count);
  for (size_t i = 0; i < count; ++i) rb_ary_push(list, ztl_wrap_item((uint32_t)ztl_reply_word(reply, i), ztl_cItem));
  return list;
}

/* A word, so no reply to release: items are added by the thousand. */
static VALUE wrapped_item(uint32_t handle, VALUE klass) { return handle == 0 ? Qnil : ztl_wrap_item(handle, klass); }

VALUE ztl_request_item(uint32_t code, uint32_t handle, const ZtlPayload* payload) {
  return wrapped_item((uint32_t)ztl_request_word(code, handle, payload), ztl_cItem);
}

VALUE ztl_request_item_list(uint32_t code, uint32_t handle, const ZtlPayload* payload) {
  return ztl_request_read(code, handle, payload, read_item_list, Qnil);
}

VALUE ztl_request_text(uint32_t code, uint32_t handle, const ZtlPayload* payload) {
  const VALUE text = request_text_room(code, handle, payload);
  return text == Qundef ? ztl_text_result(NULL, 0) : text;
}

VALUE ztl_request_time(uint32_t code, uint32_t handle) {
  return ztl_time_result(ztl_request_word(code, handle, NULL));
}

/* A long text goes from the String itself, with a NUL after it. The String
 * sent is a frozen one sharing the script's bytes (no copy), so that another
 * thread changing the script's String meanwhile changes its own copy instead.
 * A short one is copied to the stack, which costs less than that object. */
VALUE ztl_request_set_text(uint32_t code, uint32_t handle, VALUE text) {
  volatile VALUE string = ztl_text_value(text);
  if (RSTRING_LEN(string) < ZTL_PAYLOAD_INLINE) {
    const ZtlText bytes = ztl_text_bytes(string);
    ZtlPayload payload = ztl_payload_new(bytes.length + 1);
    ztl_payload_text(&payload, bytes);
    RB_GC_GUARD(string);
    return ztl_request_truth(code, handle, &payload);
  }
  string = rb_str_new_frozen(string);
  const ZtlText bytes = ztl_text_bytes(string);
  const ZtlBytes parts[2] = {{bytes.bytes, bytes.length}, {"", 1}};
  ZtlReply reply = send_parts(code, handle, parts, 2, NULL);
  const int32_t word = ztl_reply_word(&reply, 0);
  ztl_reply_free(&reply);
  RB_GC_GUARD(string);
  return ztl_truth_result(word);
}

VALUE ztl_request_assign(uint32_t code, uint32_t handle, uint32_t source) {
  if (source == 0) return Qfalse;
  ZtlPayload payload = ztl_payload_new(4);
  ztl_payload_handle(&payload, source);
  return ztl_request_truth(code, handle, &payload);
}

/* The host answers a stored date and a handle of 0 alike (with nothing), so
 * only a wrapper that still names something reports true. */
VALUE ztl_request_set_time(uint32_t code, uint32_t handle, VALUE time) {
  const int32_t seconds = ztl_time_arg(time);
  ZtlPayload payload = ztl_payload_new(4);
  ztl_payload_word(&payload, seconds);
  ztl_request_word(code, handle, &payload);
  return handle != 0 ? Qtrue : Qfalse;
}

static ZtlPayload selector_payload(int32_t selector) {
  ZtlPayload payload = ztl_payload_new(4);
  ztl_payload_word(&payload, selector);
  return payload;
}

VALUE ztl_selector_item(int32_t selector, VALUE klass) {
  const ZtlPayload payload = selector_payload(selector);
  return wrapped_item((uint32_t)ztl_request_word(ZTL_REQ_SPECIAL_ITEM, 0, &payload), klass);
}

VALUE ztl_selector_item_list(int32_t selector) {
  const ZtlPayload payload = selector_payload(selector);
  return ztl_request_read(ZTL_REQ_SPECIAL_ITEM, 0, &payload, read_item_list, Qnil);
}
