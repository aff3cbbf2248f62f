#include "core/PNGSource.h"

bool PNGSource::describes(const PNGinfo &record) const
{
    PNGinfo read = info;
    read.path = record.path;
    return read == record;
}
