#pragma once

// The optional exports of a reader library, beside hidWriteData and hidReadData. The
// program looks each one up by name and does without it when it is missing, so a library
// that has only the two transfer functions keeps working.
//
//   int readerList(struct ReaderHidInfo* readers, int capacity);
//       Fills at most capacity entries with the readers found, the one in use (or the one
//       the next command will use) marked; returns how many were found, which may exceed
//       capacity, or -1 when the library cannot enumerate at all.
//   int readerChoose(const struct ReaderHidInfo* reader);
//       Makes the given reader the one to use: matched by id and serial string when it has
//       a serial, else by path. NULL, or an entry with a zero id, returns to the automatic
//       choice. Returns 1 when that reader is present now, 0 when it is not (the choice is
//       kept and taken when it is plugged in).
//   int readerAddId(unsigned int vendorId, unsigned int productId);
//       Adds a USB id to those looked for; returns 1 when it is in the list, 0 when refused.
//   int readerLastError(char* path, int capacity);
//       Why the last transfer failed: one of the ReaderHidError codes; path receives the
//       device concerned, NUL-terminated and cut to capacity.
//   int readerLookedFor(char* ids, int capacity);
//       The USB ids looked for as "vvvv:pppp,vvvv:pppp" (lower-case hex), NUL-terminated and
//       cut to capacity at an id's end; returns how many there are.
//   int readerSimulated(void);
//       1 when a simulated reader answers.

#define READERHID_TEXT 128

struct ReaderHidInfo {
    unsigned short vendorId;
    unsigned short productId;
    // 1 for the reader in use.
    int inUse;
    // UTF-8, NUL-terminated, cut to fit.
    char product[READERHID_TEXT];
    char serial[READERHID_TEXT];
    char path[READERHID_TEXT];
};

enum ReaderHidError {
    // No failure, or none the library can explain (no reader plugged in at all).
    READERHID_NO_ERROR = 0,
    // The device node exists but may not be opened by this user.
    READERHID_NO_PERMISSION = 1,
    // The reader went away (unplugged) during or before the exchange.
    READERHID_DEVICE_GONE = 2
};
