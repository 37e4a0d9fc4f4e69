// The name of a file without its folders and extension.
#ifndef MOKACOMM_FILE_STEM_H
#define MOKACOMM_FILE_STEM_H

// The file name at the end of `path`, without its extension: "Mokacomm" for
// "C:\bin\Mokacomm.dll". The extension is cut off in place; the result points into `path`.
const wchar_t* FileStem(wchar_t* path);

#endif
