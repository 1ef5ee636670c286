#pragma once

// ZNUNDORECORD: one stored step of the document's undo list. It owns its byte image (a block
// taken over from a memory stream, freed with the record); the description is a static text it
// does not own. Records link from the newest to the oldest; a record with continuation 0 begins
// an undo level, newer records with continuation not 0 belong to it.
//
// The image: "UNDO", the u32 type, then the payload of the type (see the document's undo
// writer). Nothing here reads it; the restore checks every field before use.
#include "platform/export.h"
#include "platform/os/win_types.h"

// Undo types.
enum ZNUNDOTYPE : DWORD {
    ZNUNDO_MOVE = 1,
    ZNUNDO_ROTATE = 2,
    ZNUNDO_SCALE = 3,
    ZNUNDO_MOVEFACES = 4,
    ZNUNDO_ROTATEFACES = 5,
    ZNUNDO_SCALEFACES = 6,
    ZNUNDO_MOVEVERTICES = 7,
    ZNUNDO_ROTATEVERTICES = 8,
    ZNUNDO_SCALEVERTICES = 9,
    ZNUNDO_ADD = 10,
    ZNUNDO_REMOVE = 11,
    ZNUNDO_GROUP = 12,
    ZNUNDO_UNGROUP = 13,
    ZNUNDO_CSGINPLACE = 15,
    ZNUNDO_REBUILDSURFACES = 16,
    ZNUNDO_BANDMOVE = 17,
    ZNUNDO_TEXTURE = 40,
    ZNUNDO_TEXTUREPOS = 41,
    ZNUNDO_TEXTUREWRAP = 42,
    ZNUNDO_TEXTUREROTATION = 43,
    ZNUNDO_TEXTUREMODE = 44,
    ZNUNDO_TEXTURECOORDS = 45,
    ZNUNDO_MATERIAL = 60,
    ZNUNDO_FACESTYLE = 61,
    ZNUNDO_ALPHAMODES = 62,
    ZNUNDO_OVERLAYLOCKED = 80,
    ZNUNDO_ZBIAS = 81,
    ZNUNDO_FLAGS = 100,
    ZNUNDO_MAPPINGORIGIN = 111,
};

struct ZN_API ZNUNDORECORD {
    // Charge per record on top of its image when the buffer's size is measured.
    static constexpr DWORD kRecordCharge = 24;

    ZNUNDORECORD() = default;
    ~ZNUNDORECORD();
    ZNUNDORECORD(const ZNUNDORECORD &) = delete;
    ZNUNDORECORD &operator=(const ZNUNDORECORD &) = delete;

    BYTE *Data = nullptr; // malloc'd, owned
    DWORD Size = 0;
    DWORD Type = 0;
    BYTE Continuation = 0;
    const char *Description = nullptr;
    ZNUNDORECORD *Next = nullptr; // the next older record
};
