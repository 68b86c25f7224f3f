/* The typed request helpers on which every method is built. */
#include "request_helpers.h"

#include <ruby/thread.h>

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
static void cancel_request(void* cancel) { __atomic_store_n((int*)cancel, 1, __ATOMIC_RELEASE); }

/* Called from inside the client's C++ frames: nothing here may raise, so the
 * interrupts are not checked on the way out (the caller does that once the
 * client has returned), and the unblocking function, which only stores a
 * flag, is declared safe in a signal handler (else the interpreter would run
 * a helper thread that it joins, raising, on the way out). */
static void* run_without_gvl(void* (*body)(void*), void* arg, void* cancel) {
  return rb_nogvl(body, arg, cancel_request, cancel, RB_NOGVL_INTR_FAIL | RB_NOGVL_UBF_ASYNC_SAFE);
}

ZtlReply ztl_send(uint32_t code, uint32_t value, const void* payload, size_t length) {
  int cancel = 0;
  const ZtlBlocking blocking = {run_without_gvl, &cancel, &cancel};
  ZtlReply reply;
  const ZtlSendStatus status = ztl_channel_send_blocking(code, value, payload, length, &reply, &blocking);
  if (status == ZTL_SEND_INTERRUPTED) {
    /* Raises Interrupt, SignalException... as the interpreter would; a trap
     * handler that returns leaves this request failed. */
    rb_thread_check_ints();
    raise_send_failure(status);
  }
  /* Without a channel nothing is sent and every helper gives its default. */
  if (status != ZTL_SEND_OK && status != ZTL_SEND_NOT_CONNECTED) raise_send_failure(status);
  return reply;
}

int32_t ztl_reply_word(const ZtlReply* reply, size_t index) {
  if (reply->data == NULL || reply->length / 4 <= index) return 0;
  return ztl_word_at(reply->data + index * 4);
}

/* Reads a reply into a Ruby value; the reply is released even when building
 * the value raises. */
typedef VALUE (*ReplyReader)(const ZtlReply* reply, uint32_t context);

typedef struct Reading {
  ZtlReply* reply;
  ReplyReader read;
  uint32_t context;
} Reading;

static VALUE run_reader(VALUE arg) {
  const Reading* reading = (const Reading*)arg;
  return reading->read(reading->reply, reading->context);
}

static VALUE release_reply(VALUE arg) {
  ztl_reply_free((ZtlReply*)arg);
  return Qnil;
}

static VALUE request_and_read(uint32_t code, uint32_t value, const void* payload, size_t length, ReplyReader read,
                              uint32_t context) {
  ZtlReply reply = ztl_send(code, value, payload, length);
  if (reply.data == NULL) return read(&reply, context);
  Reading reading = {&reply, read, context};
  return rb_ensure(run_reader, (VALUE)&reading, release_reply, (VALUE)&reply);
}

static int32_t request_word(uint32_t code, uint32_t value, const void* payload, size_t length) {
  ZtlReply reply = ztl_send(code, value, payload, length);
  const int32_t word = ztl_reply_word(&reply, 0);
  ztl_reply_free(&reply);
  return word;
}

static VALUE read_item(const ZtlReply* reply, uint32_t unused) {
  (void)unused;
  const uint32_t handle = (uint32_t)ztl_reply_word(reply, 0);
  return handle == 0 ? Qnil : ztl_wrap_item(handle, ztl_cItem);
}

/* Handles up to the first 0 word; a reply cut short ends the list there. */
static VALUE read_item_list(const ZtlReply* reply, uint32_t unused) {
  (void)unused;
  if (reply->data == NULL) return Qnil;
  VALUE list = rb_ary_new();
  for (size_t i = 0; i < reply->length / 4; ++i) {
    const uint32_t handle = (uint32_t)ztl_reply_word(reply, i);
    if (handle == 0) break;
    rb_ary_push(list, ztl_wrap_item(handle, ztl_cItem));
  }
  return list;
}

static VALUE read_text(const ZtlReply* reply, uint32_t unused) {
  (void)unused;
  return ztl_text_result(reply->data, reply->length);
}

int32_t ztl_request_int(uint32_t code, const void* payload, size_t length) {
  return request_word(code, 0, payload, length);
}

VALUE ztl_request_string(uint32_t code, const void* payload, size_t length) {
  return request_and_read(code, 0, payload, length, read_text, 0);
}

VALUE ztl_selector_item(int32_t selector) {
  const ZtlWord word = ztl_word(selector);
  return request_and_read(ZTL_REQ_SPECIAL_ITEM, 0, word.bytes, sizeof word.bytes, read_item, 0);
}

VALUE ztl_selector_item_list(int32_t selector) {
  const ZtlWord word = ztl_word(selector);
  return request_and_read(ZTL_REQ_SPECIAL_ITEM, 0, word.bytes, sizeof word.bytes, read_item_list, 0);
}

int32_t ztl_handle_request_int(uint32_t handle, uint32_t code, const void* payload, size_t length) {
  return request_word(code, handle, payload, length);
}

VALUE ztl_handle_request_item(uint32_t handle, uint32_t code, const void* payload, size_t length) {
  return request_and_read(code, handle, payload, length, read_item, 0);
}

VALUE ztl_handle_request_item_list(uint32_t handle, uint32_t code) {
  return request_and_read(code, handle, NULL, 0, read_item_list, 0);
}

VALUE ztl_handle_request_string(uint32_t handle, uint32_t code, const void* payload, size_t length) {
  return request_and_read(code, handle, payload, length, read_text, 0);
}

VALUE ztl_handle_get_time(uint32_t handle, uint32_t code) {
  return ztl_time_result(request_word(code, handle, NULL, 0));
}

VALUE ztl_handle_set_time(uint32_t handle, VALUE time, uint32_t code) {
  const ZtlWord word = ztl_word(ztl_time_arg(time));
  request_word(code, handle, word.bytes, sizeof word.bytes);
  return Qtrue;
}

int32_t ztl_item_request_int(VALUE item, uint32_t code, const void* payload, size_t length) {
  return ztl_handle_request_int(ztl_item_data(item)->handle, code, payload, length);
}

VALUE ztl_item_request_item(VALUE item, uint32_t code, const void* payload, size_t length) {
  return ztl_handle_request_item(ztl_item_data(item)->handle, code, payload, length);
}

VALUE ztl_item_request_item_list(VALUE item, uint32_t code) {
  return ztl_handle_request_item_list(ztl_item_data(item)->handle, code);
}

VALUE ztl_item_request_string(VALUE item, uint32_t code, const void* payload, size_t length) {
  return ztl_handle_request_string(ztl_item_data(item)->handle, code, payload, length);
}

VALUE ztl_item_get_time(VALUE item, uint32_t code) { return ztl_handle_get_time(ztl_item_data(item)->handle, code); }

VALUE ztl_item_set_time(VALUE item, VALUE time, uint32_t code) {
  const uint32_t handle = ztl_item_data(item)->handle;
  return ztl_handle_set_time(handle, time, code);
}
