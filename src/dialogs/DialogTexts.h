// The texts that the dialogs show in their message boxes (code page 932 in the built library).
#ifndef MOKACOMM_DIALOG_TEXTS_H
#define MOKACOMM_DIALOG_TEXTS_H

namespace dialog_texts {

constexpr char kHardwareInfoFailed[] = "実行マシンのハードウェア情報取得に失敗しました";
constexpr char kPortOpenFailed[] = "指定されたポートを開けません";
constexpr char kOpenSettingsFailed[] =
    "通信設定に失敗しました\n通信設定を確認してください\nポートを開けません";
constexpr char kDeviceInfoFailed[] = "デバイスの情報取得に失敗しました。";
constexpr char kSettingsFailed[] = "通信設定に失敗しました";

} // namespace dialog_texts

#endif
