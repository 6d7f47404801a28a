// The built-in Simplified Chinese texts of the language record, for tests
// that compose status lines without a language file.
#pragma once

#include "core/texts/language_texts.h"

namespace tq::testing {

inline void FillDefaultLanguageTexts(Dev_Language_Struct& t) {
    t.MainSoftWareInfo = "TQM7300B Programmer";
    t.OK = "确定";
    t.Cancel = "取消";
    t.Select = "选择";
    t.DevConStaOnline = "设备已连接";
    t.DevConStaOffline = "设备离线";
    t.DevConVersion = "设备版本:";
    t.DevConLogDevice = "检测到编程器，型号：";
    t.DevConLogSN = "产品序列号：";
    t.LogStaSuccess = "成功！";
    t.LogStaError = "错误！";
    t.LogOperatTimeTitle = "共耗时";
    t.LogOperatTime = "秒";
    t.LogFileOpen = "打开文件，文件名：";
    t.LogFileSave = "保存文件，文件名：";
    t.LogFileSaveAs = "文件另存为：";
    t.LogChipCheckOK = "检测芯片，芯片名为：";
    t.LogChipCheckCommError = "检测芯片，通讯错误.";
    t.LogChipCheckError = "检测芯片，未检测到芯片.";
    t.LogChipErase = "擦除芯片";
    t.LogChipEraseChipErr = "擦除错误！请先选择芯片型号！";
    t.LogChipEraseCommError = "擦除通讯错误，请重试.";
    t.LogChipEraseSuccess = "擦除成功.共耗时";
    t.LogChipWrite = "写入芯片";
    t.LogChipWriteChipErr = "写入错误！请先选择芯片型号！";
    t.LogChipWriteCommError = "写入通讯错误，请重试.";
    t.LogChipWriteFileError = "写入芯片，错误！请先打开一个文件！";
    t.LogChipWriteFileName = "写入芯片，文件名：";
    t.LogChipWriteFileLen = "写入长度：";
    t.LogChipWriteSuccess = "写入成功.共耗时";
    t.LogChipReadChip = "读取芯片";
    t.LogChipReadSuccess = "读取芯片，成功！共耗时";
    t.LogChipReadError = "读取错误，请重试！";
    t.LogChipVerifyChip = "校验芯片";
    t.LogChipVerifySuccess = "校验芯片，成功！共耗时";
    t.LogChipVerifyError = "校验错误，请重试！";
    t.LogChipBankCheck = "查空操作.";
    t.LogChipBankTrue = "该芯片是空的，可以直接写入.";
    t.LogChipBankFalse = "该芯片不是空的，请擦除后再写入.";
    t.LogChipDetect = "检测并识别到芯片，型号：";
    t.LogChipSelect = "手动选择芯片成功，型号：";
    t.LogChipDetectCapcity = "容量：";
    t.LogChipDetectID = "芯片ID：";
    t.LogChipDetectUnknown = "检测到芯片，但未识别出芯片型号.芯片ID：";
    t.LogChipDetectError = "芯片检测异常.";
    t.LogChipDetectNULL = "未检测到芯片.";
    t.LogChipMassStart = "批量烧录开始，请点击”停止“按钮，将在本次烧录完成后停止.";
    t.LogChipMassStop = "批量烧录已停止.";
    t.LogChipMassAutoStop = "30秒内没有检测到新拍呢，已自动停止了批量烧录.";
}

}  // namespace tq::testing
