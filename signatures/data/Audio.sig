# Audio.sig - general audio pass
# When a record matches, later records whose header is contained in its
# header, or that contain it at the same offset, start a file from the same
# sector too. Max sizes follow what recorders and phones write.

# MP3 with an ID3v2 tag. ID3, major version 3, 4 or 2, revision 0.
# 256 MiB covers long podcasts and audiobooks.
Extension : .mp3
Max_File_Size : 268435456
Header : 4944330300
Header_Offset : 1
Reserved : 0
Description : MP3 audio ID3v2 3

Extension : .mp3
Max_File_Size : 268435456
Header : 4944330400
Header_Offset : 1
Reserved : 0
Description : MP3 audio ID3v2 4

Extension : .mp3
Max_File_Size : 268435456
Header : 4944330200
Header_Offset : 1
Reserved : 0
Description : MP3 audio ID3v2 2

# WAV. RIFF form type WAVE at byte 8 (also matches RF64 and BW64). Not the
# fmt chunk, since field recorders put bext or JUNK first. RIFF itself is
# shared with AVI and WebP. WAV sizes are 32-bit, recorders write up to 4 GiB.
Extension : .wav
Max_File_Size : 4294967295
Header : 57415645
Header_Offset : 9
Reserved : 0
Description : WAV audio

# AIFF and AIFF-C. IFF FORM type at byte 8.
Extension : .aiff
Max_File_Size : 4294967295
Header : 41494646
Header_Offset : 9
Reserved : 0
Description : AIFF audio

Extension : .aifc
Max_File_Size : 4294967295
Header : 41494643
Header_Offset : 9
Reserved : 0
Description : AIFF-C audio

# FLAC stream marker. 512 MiB covers long high-resolution recordings.
Extension : .flac
Max_File_Size : 536870912
Header : 664C6143
Header_Offset : 1
Reserved : 0
Description : FLAC audio

# Ogg Opus (voice messages, recorders). The first page carries OpusHead at
# byte 28 after the 27-byte page header and a one-entry segment table.
# Tested before the generic Ogg record, which it does not group with.
Extension : .opus
Max_File_Size : 268435456
Header : 4F70757348656164
Header_Offset : 29
Reserved : 0
Description : Opus audio

# Ogg beginning-of-stream page. OggS, version 0, BOS flag 2, granule 0.
Extension : .ogg
Max_File_Size : 268435456
Header : 4F67675300020000000000000000
Header_Offset : 1
Reserved : 0
Description : Ogg audio

# MPEG-4 audio. ftyp at byte 4 with brand M4A (and M4B for audiobooks).
# Recorders that write mp42 or isom brands land in VideoAdv or AudioAdv.
Extension : .m4a
Max_File_Size : 268435456
Header : 667479704D3441
Header_Offset : 5
Reserved : 0
Description : M4A audio

Extension : .m4b
Max_File_Size : 1073741824
Header : 667479704D3442
Header_Offset : 5
Reserved : 0
Description : M4B audiobook

# AMR voice recordings. Text magic #!AMR or #!AMR-WB and a line feed.
Extension : .amr
Max_File_Size : 67108864
Header : 2321414D520A
Header_Offset : 1
Reserved : 0
Description : AMR audio

Extension : .awb
Max_File_Size : 67108864
Header : 2321414D522D57420A
Header_Offset : 1
Reserved : 0
Description : AMR wideband audio

# ASF header object GUID. The same GUID starts WMV and ASF video (Video.sig),
# so in this mode every such file comes out as WMA.
Extension : .wma
Max_File_Size : 268435456
Header : 3026B2758E66CF11A6D900AA0062CE6C
Header_Offset : 1
Reserved : 0
Description : Windows Media audio

# MIDI. MThd chunk with its fixed length 6.
Extension : .mid
Max_File_Size : 16777216
Header : 4D54686400000006
Header_Offset : 1
Reserved : 0
Description : MIDI music
