#pragma once

#include <QString>

// The reader's message for an error code ("83" → "卡不存在...."); codes not in
// the table give an empty text.
QString falsereason(const QString& code);

// What a reply tells: nothing came, or its status byte says 00 (success),
// 01 (failure) or anything else, a reply too short to hold one too (garbled).
enum class ReplyStatus { NoReply, Success, Failure, Garbled };
ReplyStatus replyStatus(bool replied, const QString& statusByte);
// The status of an HF reply frame, from its byte 4.
ReplyStatus replyStatus(const QString& reply);

// The lines of the common reply check for no reply and a garbled one.
QString noReplyText();
QString garbledText();
