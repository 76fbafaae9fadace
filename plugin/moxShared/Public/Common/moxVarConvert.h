#pragma once

#include <string>

#include "moxHResult.h"
#include "moxVariant.h"

// Conversion of values between the handled types by the OLE Automation rules:
// numbers round half to even and fail with an overflow outside the target's
// range, except that integers keep their bits between the signed and unsigned
// types of one size (ShortInt -5 is Byte 251), as does a hexadecimal or octal
// text that fills an integer type's bits ("&HFF" is ShortInt -1); Booleans are
// -1 and 0 (narrowed without overflow into unsigned types, and "-1" and "0" as
// text; "True" and "False" are read); text is US English ("1.5",
// "12/31/1999 1:45:00 PM"); Null converts only to Null, and every other value
// converts to Empty and Null.

// Converts `source` into `dest`. Returns kS_OK, kDISP_E_TYPEMISMATCH,
// kDISP_E_OVERFLOW or kDISP_E_BADVARTYPE; `dest` is unchanged on failure.
HResult ChangeVarType(TVariant& dest, const TVariant& source, TVarType type);

// The same, raising EVariantError on failure.
TVariant VarAsType(const TVariant& source, TVarType type);

// The 8-bit text of a value; Empty and Null give an empty text.
std::string VarToAnsi(const TVariant& value);
