// Linked into the twin of the real library that runs over the hidapi stand-in: the simulated
// installer's hand, which the program finds by this name in the simulated library and uses to
// take a handled tag away. It is no part of the report path; without it a refused tag would
// stay in the simulated field for ever.

#define READERHID_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" int hidStandinTakeTagAway(void);

READERHID_EXPORT int readerTakeTagAway(void) {
    return hidStandinTakeTagAway();
}
