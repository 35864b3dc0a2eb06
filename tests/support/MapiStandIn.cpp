// A mapi32.dll that records the mail it is given instead of sending it.
#include "MapiStandIn.h"

#include <mapi.h>

#include <cstring>

namespace {

MapiStandInCall g_call;
ULONG g_result = SUCCESS_SUCCESS;

void Copy(char* to, size_t size, const char* from) {
    if (from) {
        std::strncpy(to, from, size - 1);
        to[size - 1] = '\0';
    } else {
        to[0] = '\0';
    }
}

}  // namespace

extern "C" {

__declspec(dllexport) MapiStandInCall* StandInRecord() {
    return &g_call;
}

__declspec(dllexport) void StandInSetResult(ULONG result) {
    g_result = result;
}

__declspec(dllexport) ULONG WINAPI
    MAPISendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags, ULONG reserved) {
    MapiStandInCall call;
    call.nCalls = g_call.nCalls + 1;
    call.session = session;
    call.uiParam = uiParam;
    call.flags = flags;
    call.reserved = reserved;
    if (message) {
        call.messageReserved = message->ulReserved;
        call.messageFlags = message->flFlags;
        call.nullFields = !message->lpszNoteText && !message->lpszMessageType && !message->lpszDateReceived &&
                          !message->lpszConversationID && !message->lpOriginator;
        Copy(call.subject, sizeof call.subject, message->lpszSubject);
        call.recipCount = message->nRecipCount;
        if (message->nRecipCount > 0 && message->lpRecips) {
            const MapiRecipDesc& recipient = message->lpRecips[0];
            call.recipReserved = recipient.ulReserved;
            call.recipClass = recipient.ulRecipClass;
            Copy(call.recipName, sizeof call.recipName, recipient.lpszName);
            Copy(call.recipAddress, sizeof call.recipAddress, recipient.lpszAddress);
            call.recipEntryIdSize = recipient.ulEIDSize;
            call.recipEntryIdNull = recipient.lpEntryID == nullptr;
        }
        call.fileCount = message->nFileCount;
        if (message->nFileCount > 0 && message->lpFiles) {
            const MapiFileDesc& file = message->lpFiles[0];
            call.fileReserved = file.ulReserved;
            call.fileFlags = file.flFlags;
            call.filePosition = file.nPosition;
            Copy(call.filePath, sizeof call.filePath, file.lpszPathName);
            Copy(call.fileName, sizeof call.fileName, file.lpszFileName);
            call.fileTypeNull = file.lpFileType == nullptr;
        }
    }
    g_call = call;
    return g_result;
}

}  // extern "C"
