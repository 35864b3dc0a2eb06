// What the stand-in mapi32.dll saw of the last MAPISendMail call; shared by the library and
// the tests that load it.
#pragma once

#include <windows.h>

struct MapiStandInCall {
    int nCalls = 0;
    ULONG_PTR session = 0;
    ULONG_PTR uiParam = 0;
    ULONG flags = 0;
    ULONG reserved = 0;
    ULONG messageReserved = 0;
    ULONG messageFlags = 0;
    bool nullFields = false;  // note text, message type, date, conversation id and originator
    char subject[128] = {};
    ULONG recipCount = 0;
    ULONG recipReserved = 0;
    ULONG recipClass = 0;
    char recipName[64] = {};
    char recipAddress[128] = {};
    ULONG recipEntryIdSize = 0;
    bool recipEntryIdNull = false;
    ULONG fileCount = 0;
    ULONG fileReserved = 0;
    ULONG fileFlags = 0;
    ULONG filePosition = 0;
    char filePath[520] = {};
    char fileName[64] = {};
    bool fileTypeNull = false;
};

// Exported by the stand-in: the record, and the result its MAPISendMail returns.
using MapiStandInRecordFunction = MapiStandInCall* (*)();
using MapiStandInSetResultFunction = void (*)(ULONG result);
