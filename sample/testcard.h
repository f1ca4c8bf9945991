// What the sample test program shows, and where, so that its window can be read back.
#pragma once

#define TESTCARD_CLASS "QvxTestCard"
#define TESTCARD_TITLE "Sample MSR Test Program"

// One static text line each, with control identifiers TESTCARD_FIRST_LINE_ID + line.
#define TESTCARD_FIRST_LINE_ID 200
#define TESTCARD_LINE_CONTROL 0  // CARD.OCX: usable or not
#define TESTCARD_LINE_SERVICE 1  // CARDSO.DLL: usable or not
#define TESTCARD_LINE_RUNTIME 2  // VB40032.DLL beside the program
#define TESTCARD_LINE_PROMPT 3   // whether swipes can be read
#define TESTCARD_LINE_TRACK 4    // the last track as read
#define TESTCARD_LINE_FIELDS 5   // its account number, name and expiry
#define TESTCARD_LINE_COUNT 6

struct CardFields {
    char account[20];
    char name[27];
    char expires[6];  // MM/YY
};

// Decodes a track 1 (%B...^NAME^YYMM...?) or track 2 (;...=YYMM...?) text.
bool DecodeTrack(const char* track, CardFields* fields);
