/* The client end of the bridge channel, as plain C for the Ruby-facing code.
 * Written in C++ over the platform layer; nothing here throws or longjmps:
 * every call reports a status and the caller decides what to raise. */
#ifndef ZTL_CHANNEL_CLIENT_H
#define ZTL_CHANNEL_CLIENT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Outcome of the connection prologue; each failure has its own printed line
 * and message (ztl_connect_line, ztl_connect_message). */
typedef enum ZtlConnectStatus {
  ZTL_CONNECT_OK = 0,
  ZTL_CONNECT_MAPPING_1, /* announcement mapping could not be viewed */
  ZTL_CONNECT_MAPPING_2, /* announcement mapping could not be created or opened */
  ZTL_CONNECT_MAPPING_3, /* announcement mapping could not be written for the handshake */
  ZTL_CONNECT_HOST_0,    /* no host at all: the station's wait events are missing */
  ZTL_CONNECT_HOST_1,    /* a station exists but did not take the script in time */
  ZTL_CONNECT_HOST_2,    /* no channel number, or its objects are gone or closed */
  ZTL_CONNECT_BAD_CHANNEL_ENV /* the channel variable holds no channel number */
} ZtlConnectStatus;

typedef enum ZtlSendStatus {
  ZTL_SEND_OK = 0,
  ZTL_SEND_NOT_CONNECTED, /* nothing was sent; the reply is empty */
  ZTL_SEND_HOST_GONE,     /* the host process ended during the exchange */
  ZTL_SEND_BAD_REPLY,     /* the reply frames did not add up; refused */
  ZTL_SEND_BROKEN,        /* an earlier failure left the channel out of step */
  ZTL_SEND_OUT_OF_MEMORY, /* the reply's total could not be allocated */
  ZTL_SEND_SYSTEM_ERROR,  /* a kernel object failed; see ztl_channel_last_error */
  ZTL_SEND_INTERRUPTED    /* the cancel flag ended a wait; see ztl_channel_send_blocking */
} ZtlSendStatus;

/* A reply payload. data is NULL when the reply is empty (length 0); otherwise
 * it is allocated with malloc and belongs to the caller (ztl_reply_free). */
typedef struct ZtlReply {
  uint8_t* data;
  size_t length;
} ZtlReply;

/* Runs the prologue: finds the channel number (the channel variable the host
 * set when it started this process, else the announcement, through the
 * external handshake when that holds 0) and opens the channel's objects. */
ZtlConnectStatus ztl_channel_connect(void);
const char* ztl_connect_line(ZtlConnectStatus status);
const char* ztl_connect_message(ZtlConnectStatus status);

/* Sends one request and waits for its whole reply. */
ZtlSendStatus ztl_channel_send(uint32_t code, uint32_t value, const void* payload,
                               size_t length, ZtlReply* reply);
/* How a wait that goes on is run. run calls body(arg) with whatever the
 * caller must give up meanwhile (the interpreter's lock) and returns what body
 * returns, or NULL when it could not call it (the caller is being
 * interrupted). While body runs, *cancel turning nonzero (set from another
 * thread) ends the wait soon. Either may be NULL. */
typedef struct ZtlBlocking {
  void* (*run)(void* (*body)(void*), void* arg, void* context);
  void* context;
  const int* cancel;
} ZtlBlocking;

/* As ztl_channel_send, with blocking for the waits that go on. A cancelled
 * wait gives ZTL_SEND_INTERRUPTED; when the request was under way, the channel
 * is broken from then on. */
ZtlSendStatus ztl_channel_send_blocking(uint32_t code, uint32_t value, const void* payload, size_t length,
                                        ZtlReply* reply, const ZtlBlocking* blocking);

/* A part of a request's payload: the payload is its parts one after the other. */
typedef struct ZtlBytes {
  const void* data;
  size_t length;
} ZtlBytes;

/* Room of the caller's own for a reply, so that a long one is copied from the
 * channel straight to where it is wanted. make is called once, on the calling
 * thread with whatever it held when it sent, when the reply's total is known
 * (never for an empty reply); it returns room for total bytes, or NULL: the
 * reply is then taken and dropped and the send gives ZTL_SEND_OUT_OF_MEMORY.
 * taken (may be NULL) is called after each chunk with the bytes in the room so
 * far: before the last one, while the host is writing the next chunk, so what
 * it does with them costs no time of the exchange. Neither may throw or jump
 * out. */
typedef struct ZtlReplyRoom {
  uint8_t* (*make)(size_t total, void* context);
  void (*taken)(size_t received, void* context);
  void* context;
} ZtlReplyRoom;

/* As ztl_channel_send_blocking, with the payload in parts (none when count is
 * 0) and, when room is not NULL, the reply in the caller's room: reply->data
 * then points there and is not given to ztl_reply_free. */
ZtlSendStatus ztl_channel_send_parts(uint32_t code, uint32_t value, const ZtlBytes* parts, size_t count,
                                     ZtlReply* reply, const ZtlBlocking* blocking, const ZtlReplyRoom* room);
void ztl_reply_free(ZtlReply* reply);

/* The text of the last failure of ztl_channel_send (for every status but OK). */
const char* ztl_channel_last_error(void);

/* The Ruby name of the host's text code page ("UTF-8" or "Windows-31J"): texts
 * keep their bytes and are only tagged with it. */
const char* ztl_host_text_encoding(void);

#ifdef __cplusplus
}
#endif

#endif /* ZTL_CHANNEL_CLIENT_H */
