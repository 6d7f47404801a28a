// The texts of the current language, each named after its language-file key.
// Filled by the language loader; read at the moment a text is composed.
#pragma once

#include <string>

namespace tq {

struct Dev_Language_Struct {
    std::string MainSoftWareInfo;
    std::string OK;
    std::string Cancel;
    std::string Select;
    std::string DevConStaOnline;
    std::string DevConStaOffline;
    std::string DevConVersion;
    std::string DevConLogDevice;
    std::string DevConLogSN;
    std::string LogStaSuccess;
    std::string LogStaError;
    std::string LogOperatTimeTitle;
    std::string LogOperatTime;
    std::string LogFileOpen;
    std::string LogFileSave;
    std::string LogFileSaveAs;
    std::string LogChipCheckOK;
    std::string LogChipCheckCommError;
    std::string LogChipCheckError;
    std::string LogChipErase;
    std::string LogChipEraseChipErr;
    std::string LogChipEraseCommError;
    std::string LogChipEraseSuccess;
    std::string LogChipWrite;
    std::string LogChipWriteChipErr;
    std::string LogChipWriteCommError;
    std::string LogChipWriteFileError;
    std::string LogChipWriteFileName;
    std::string LogChipWriteFileLen;
    std::string LogChipWriteSuccess;
    std::string LogChipReadChip;
    std::string LogChipReadSuccess;
    std::string LogChipReadError;
    std::string LogChipVerifyChip;
    std::string LogChipVerifySuccess;
    std::string LogChipVerifyError;
    std::string LogChipBankCheck;
    std::string LogChipBankTrue;
    std::string LogChipBankFalse;
    std::string LogChipDetect;
    std::string LogChipSelect;
    std::string LogChipDetectCapcity;
    std::string LogChipDetectID;
    std::string LogChipDetectUnknown;
    std::string LogChipDetectError;
    std::string LogChipDetectNULL;
    std::string LogChipMassStart;
    std::string LogChipMassStop;
    std::string LogChipMassAutoStop;
};

}  // namespace tq
