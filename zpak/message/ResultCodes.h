#pragma once
// Named result codes. 1 is success and 0 a plain failure; 12001-12112 are internet errors (see
// platform/net); the rest are the pak library's codes. The launcher's own (14091-14106) are here
// too so that every module names a code the same way.

namespace ZP
{

constexpr int kResultOk = 1;
constexpr int kResultFail = 0;

constexpr int kErrorInvalidString = 14002;
constexpr int kErrorInvalidPointer = 14003;
constexpr int kErrorInvalidData = 14004;
constexpr int kErrorInvalidFileName = 14005;
// A file that has to be there could not be reached in time.
constexpr int kErrorInvalidHandle = 14007;
constexpr int kErrorDataSize = 14008;
constexpr int kErrorInvalidParameter = 14009;
constexpr int kErrorMemory = 14010;
constexpr int kErrorBufferOverrun = 14011;
constexpr int kErrorFileMissing = 14012;
constexpr int kErrorProcessCreate = 14013;
constexpr int kErrorFileOpen = 14014;
constexpr int kErrorFileCreate = 14015;
constexpr int kErrorFileWrite = 14016;
constexpr int kErrorFileRead = 14017;
constexpr int kErrorFileSearch = 14021;
constexpr int kErrorNoDiskSpace = 14031;
constexpr int kErrorUnpack = 14038;
constexpr int kErrorDownload = 14042;
constexpr int kErrorInternetSession = 14048;
constexpr int kErrorUrlConnect = 14049;
constexpr int kErrorInternetQuery = 14051;
constexpr int kErrorHttp400 = 14052;
constexpr int kErrorHttp403 = 14053;
constexpr int kErrorHttp404 = 14054;
constexpr int kErrorPakBroken = 14055;
constexpr int kErrorFileSize = 14066;
constexpr int kErrorNoRecord = 14069;
constexpr int kErrorCrcMismatch = 14071;
constexpr int kErrorSumMismatch = 14072;
constexpr int kErrorNoCrc = 14073;
constexpr int kErrorCompress = 14078;
constexpr int kErrorDecompress = 14079;
constexpr int kErrorEncrypt = 14080;
constexpr int kErrorDecrypt = 14081;
constexpr int kErrorNotOpen = 14082;
constexpr int kErrorAlreadyOpen = 14083;
constexpr int kErrorStopped = 14085;
constexpr int kErrorNoUrl = 14087;
constexpr int kErrorAddFileInfo = 14088;
// Beyond the launcher's range, added with the pak writers' locks and name checks.
// Another run writes the game folder or pak set (or inspects it while a writer asks).
constexpr int kErrorPakLocked = 14107;
// A relative name longer than a record holds (255 UTF-16 units).
constexpr int kErrorNameTooLong = 14108;

// The launcher's own.
constexpr int kErrorDiskFull = 14091;
constexpr int kErrorLauncherRename = 14092;
constexpr int kErrorCloneCreate = 14093;
constexpr int kErrorWindowResourceCreate = 14094;
constexpr int kErrorWindowResourceLoad = 14095;
constexpr int kErrorThreadCreate = 14096;
constexpr int kLauncherVersionSame = 14097;
constexpr int kLauncherVersionDiffers = 14098;
constexpr int kRestartNeeded = 14099;
constexpr int kUpdateNeeded = 14100;
constexpr int kErrorInstanceMutex = 14101;
constexpr int kErrorLauncherSameGameRuns = 14102;
constexpr int kErrorLauncherOtherGameRuns = 14103;
constexpr int kErrorApplicationRuns = 14104;
constexpr int kErrorPatcherRuns = 14105;
constexpr int kErrorGameInstall = 14106;
// The server's file list named files outside the game folder; the run skipped them.
constexpr int kErrorRefusedServerNames = 14110;

} // namespace ZP
