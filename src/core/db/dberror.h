#pragma once

#include "core/numberederror.h"

namespace Db {

// Every failure of the engine: a number and a description, which the event handlers
// show.
class DbError : public NumberedError
{
public:
    using NumberedError::NumberedError;
};

// The error numbers the engine reports (the numbers operators of the program know).
namespace Error {
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateKey = 3022;
constexpr int FileNotFound = 3024;
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027;
constexpr int WorkgroupMissing = 3028;
constexpr int BadAccount = 3029;
constexpr int NoPermission = 3033;
constexpr int NoTransaction = 3034;
constexpr int DiskError = 3043;
constexpr int InvalidPath = 3044;
constexpr int InUse = 3045;
constexpr int CannotOpen = 3049;
constexpr int FileNoPermission = 3051;
constexpr int NotAnUpdate = 3020;
constexpr int ObjectNotFound = 3078;
constexpr int TooSmall = 3163;
constexpr int RecordDeleted = 3167;
constexpr int DatabaseExists = 3204;
constexpr int Locked = 3218;
constexpr int ItemNotFound = 3265;
constexpr int NestedTransaction = 3003;
constexpr int RequiredField = 3314;
constexpr int Overflow = 3349;
constexpr int ObjectClosed = 3420;
constexpr int TypeMismatch = 3421;
constexpr int Unrecognized = 3343;
constexpr int EngineFailure = 3000;
} // namespace Error

} // namespace Db
