#pragma once
// The words a row's status cell can hold, and the encoding cell of backup and restore rows.

inline constexpr char kStatusWaiting[] = "等待转码";
inline constexpr char kStatusTranscoded[] = "已转码";
inline constexpr char kStatusSkipped[] = "跳过";
inline constexpr char kStatusCancelled[] = "取消";
inline constexpr char kStatusTranscodeFailed[] = "转码失败";
inline constexpr char kStatusBackupDone[] = "备份成功";
inline constexpr char kStatusBackupFailed[] = "备份失败";
inline constexpr char kStatusRestoreDone[] = "还原成功";
inline constexpr char kStatusRestoreFailed[] = "还原失败";
inline constexpr char kNoEncoding[] = "—";
