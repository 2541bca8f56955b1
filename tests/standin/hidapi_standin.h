#pragma once

// What a test may ask of the hidapi stand-in (tests/standin/hidapi_standin.cpp), beside the
// hidapi calls themselves. The test looks these up with dlsym on the stand-in.
//
//   void hidStandinReset(void);
//       Every fault off, every reader plugged in at its first path with its first id, the
//       counters at zero.
//   void hidStandinFault(int fault, int value);
//       Sets one of the faults below; 0 turns it off.
//   int hidStandinPlug(int reader, int plugged);
//       Unplugs a reader (its open handle fails from now on, it leaves the enumeration) or
//       plugs it back in, under a new path. Returns 1 when there is such a reader.
//   int hidStandinSetId(int reader, unsigned vendorId, unsigned productId);
//       The USB id the reader enumerates with.
//   int hidStandinInject(int reader, const unsigned char* bytes, int count);
//       Queues bytes as input reports now, as a reply left over from an earlier exchange.
//   int hidStandinCount(int counter);
//       One of the counters below.
//   int hidStandinLastReport(unsigned char* report, int capacity);
//       The last output report as hid_write got it, report id byte first; its length.
//   int hidStandinTakeTagAway(void);
//       The installer takes the tag away from the reader that answered last.
//
// Readers are numbered from 0, in the order of the simulated readers behind them.

enum HidStandinFault {
    // Input reports of this many bytes (the reader's own are 64), so that a reply spans several.
    HIDSTANDIN_INPUT_REPORT_SIZE = 1,
    // The reply comes this many milliseconds after the frame was written.
    HIDSTANDIN_REPLY_DELAY_MS,
    // This many input reports of zeros come before each reply.
    HIDSTANDIN_ZERO_REPORTS,
    // The next this many hid_write calls fail (-1), the reader staying plugged in.
    HIDSTANDIN_FAILED_WRITES,
    // The next this many hid_write calls take one byte less than given.
    HIDSTANDIN_SHORT_WRITES,
    // The reader in use is unplugged once the next frame has reached it, before it answers.
    HIDSTANDIN_UNPLUG_AFTER_WRITE,
    // Every read gets a report at once: a reply frame that answers nothing, again and again.
    HIDSTANDIN_FLOOD,
    // The next reply stops after this many bytes; the rest never comes.
    HIDSTANDIN_CUT_REPLY,
};

enum HidStandinCounter {
    // Frames the readers answered.
    HIDSTANDIN_FRAMES = 1,
    // hid_open_path calls for an interface that is not the reader's command interface.
    HIDSTANDIN_OTHER_OPENS,
    // Frames each reader got: HIDSTANDIN_FRAMES_OF + reader.
    HIDSTANDIN_FRAMES_OF = 100,
};
