#pragma once
// One unit per format family, each in a file of its own beside this header.
// Every unit answers for the types listed beside it and rejects any other.
#include "engine/finish/unit.h"

namespace salvex::finish {

// Pictures and camera raw files.
Verdict check_jpeg(ByteSource& run, std::string_view type);  // jpg
Verdict check_png(ByteSource& run, std::string_view type);   // png
Verdict check_gif(ByteSource& run, std::string_view type);   // gif
Verdict check_bmp(ByteSource& run, std::string_view type);   // bmp
Verdict check_tiff(ByteSource& run, std::string_view type);  // tif, cr2, orf, rw2
Verdict check_raf(ByteSource& run, std::string_view type);   // raf
Verdict check_x3f(ByteSource& run, std::string_view type);   // x3f
Verdict check_crw(ByteSource& run, std::string_view type);   // crw
Verdict check_mrw(ByteSource& run, std::string_view type);   // mrw
Verdict check_psd(ByteSource& run, std::string_view type);   // psd, psb

// Chunked and boxed containers.
Verdict check_riff(ByteSource& run, std::string_view type);      // webp, avi, wav
Verdict check_aiff(ByteSource& run, std::string_view type);      // aiff, aifc
Verdict check_iso_bmff(ByteSource& run, std::string_view type);  // mp4, mov, m4v, 3gp, 3g2, m4a, m4b, heic, heif, avif, cr3
Verdict check_ebml(ByteSource& run, std::string_view type);      // mkv, webm
Verdict check_asf(ByteSource& run, std::string_view type);       // asf, wmv, wma
Verdict check_flv(ByteSource& run, std::string_view type);       // flv
Verdict check_mxf(ByteSource& run, std::string_view type);       // mxf

// Streams of frames, pages and packets.
Verdict check_ogg(ByteSource& run, std::string_view type);          // ogg, opus
Verdict check_flac(ByteSource& run, std::string_view type);         // flac
Verdict check_mpeg_audio(ByteSource& run, std::string_view type);   // mp3, aac
Verdict check_mpeg_ps(ByteSource& run, std::string_view type);      // mpg
Verdict check_mpeg_ts(ByteSource& run, std::string_view type);      // ts, mts
Verdict check_midi(ByteSource& run, std::string_view type);         // mid
Verdict check_amr(ByteSource& run, std::string_view type);          // amr, awb

// Documents and archives.
Verdict check_pdf(ByteSource& run, std::string_view type);     // pdf
Verdict check_zip(ByteSource& run, std::string_view type);     // zip, docx, xlsx, pptx, odt, ods, odp, epub
Verdict check_ole2(ByteSource& run, std::string_view type);    // doc, xls, ppt
Verdict check_rtf(ByteSource& run, std::string_view type);     // rtf
Verdict check_sqlite(ByteSource& run, std::string_view type);  // sqlite
Verdict check_7z(ByteSource& run, std::string_view type);      // 7z
Verdict check_gzip(ByteSource& run, std::string_view type);    // gz
Verdict check_rar(ByteSource& run, std::string_view type);     // rar
Verdict check_tar(ByteSource& run, std::string_view type);     // tar

}  // namespace salvex::finish
