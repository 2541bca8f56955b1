#pragma once

#include <QString>

// The reader's message for an error code ("83" → "卡不存在...."); codes not in
// the table give an empty text.
QString falsereason(const QString& code);

// Status byte of a reply, characters 7-8 of ReplyText.
enum class ReplyStatus { NoReply, Success, Failure, Garbled };
ReplyStatus replyStatus(const QString& reply);
