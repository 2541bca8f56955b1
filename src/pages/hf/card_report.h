#pragma once

class ReaderLink;

// Card type report: ReplyText read as a card report (byte 2 the card type code,
// the card number from byte 3 in the length of its type) becomes two log lines,
// and ReplyText is emptied. Any other code logs nothing and keeps ReplyText.
void checkcard(ReaderLink& link);
