#include "editor/undo_record.h"

#include <cstdlib>

ZNUNDORECORD::~ZNUNDORECORD()
{
    std::free(Data);
}
