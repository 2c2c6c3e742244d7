/* One export beyond the twelve operations, offered only by Tolvik's adapter library: the tool
 * hands it a function that takes each reason behind a failure, and each event of the link, as
 * one line of text. The line may come on any thread, during an operation or between them. The
 * export's presence is how the tool tells its adapter library from the vendor's and the bench,
 * which need nothing of it. */
#ifndef TOLVIK_ADAPTER_EXTENSION_H
#define TOLVIK_ADAPTER_EXTENSION_H

#include "canlink/QuarnCANopen.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void(CAN_CALLCONV* TOLVIK_ReasonProc)(const char* line);
/* CAN_OK; a null proc stops the lines. */
typedef int(CAN_CALLCONV* PFN_TOLVIK_SetReasonProc)(TOLVIK_ReasonProc proc);

#ifdef __cplusplus
}
#endif

#endif
