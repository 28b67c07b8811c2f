#include "CheckedFile.h"

#include "Exceptions.h"
#include "FileOpening.h"
#include "FileServices.h"

int FileMode = 2;

namespace {

// Stores a failure's code in the I/O result and raises it at once.
void Raise(int code) {
  InOutRes() = code;
  InOutCheck();
}

bool IsOpen(const TFileVar& f) { return f.State != TFileState::fmClosed && f.Handle != INVALID_HANDLE_VALUE; }

void Open(TFileVar& f, int recSize, TOpenDisposition disposition) {
  if (IsOpen(f)) CloseFile(f);
  if (f.Name.empty()) Raise(102);
  if (recSize <= 0) Raise(87);
  TOpenAccess access = TOpenAccess::ReadWrite;
  TFileState state = TFileState::fmInOut;
  if (disposition == TOpenDisposition::OpenExisting) {
    switch (FileMode & 3) {
      case 0:
        access = TOpenAccess::Read;
        state = TFileState::fmInput;
        break;
      case 1:
        access = TOpenAccess::Write;
        state = TFileState::fmOutput;
        break;
      default:
        break;
    }
  }
  int code = 0;
  const THandle h = OpenPlatformFile(f.Name, access, TOpenSharing::ReadWrite, disposition, &code);
  if (h == INVALID_HANDLE_VALUE) Raise(code);
  f.Handle = h;
  f.State = state;
  f.RecSize = recSize;
}

// count records of the variable's size in bytes, or 87 when that overflows.
int64_t RecordBytes(const TFileVar& f, int64_t count) {
  int64_t bytes = 0;
  if (count < 0 || __builtin_mul_overflow(count, static_cast<int64_t>(f.RecSize), &bytes)) Raise(87);
  return bytes;
}

}  // namespace

int& InOutRes() {
  thread_local int result = 0;
  return result;
}

std::string InOutErrorMessage(int code) {
  switch (code) {
    case 2:
      return "Fichier introuvable";
    case 3:
      return "Nom de fichier incorrect";
    case 4:
      return "Trop de fichiers ouverts";
    case 5:
      return "Accès au fichier refusé";
    case 100:
      return "Lecture au-delà de la fin de fichier";
    case 101:
      return "Disque plein";
    case 106:
      return "Saisie numérique incorrecte";
    default:
      return Format("Erreur E/S %d", code);
  }
}

void InOutCheck() {
  const int code = InOutRes();
  if (code == 0) return;
  InOutRes() = 0;
  throw EInOutError(InOutErrorMessage(code), code);
}

void AssignFile(TFileVar& f, const std::string& name) {
  f.Name = name;
  if (f.State == TFileState::fmClosed) f.Handle = INVALID_HANDLE_VALUE;
}

void Reset(TFileVar& f, int recSize) {
  Open(f, recSize, TOpenDisposition::OpenExisting);
  InOutCheck();
}

void Rewrite(TFileVar& f, int recSize) {
  Open(f, recSize, TOpenDisposition::CreateAlways);
  InOutCheck();
}

void Seek(TFileVar& f, int64_t recIndex) {
  if (!IsOpen(f)) Raise(103);
  if (recIndex < 0) Raise(131);
  const int64_t pos = RecordBytes(f, recIndex);
  const int code = SeekPlatformFile(f.Handle, pos);
  if (code != 0) Raise(code);
  InOutCheck();
}

void BlockRead(TFileVar& f, void* buf, int64_t count, int64_t& actual) {
  actual = 0;
  if (!IsOpen(f)) Raise(103);
  const int64_t bytes = RecordBytes(f, count);
  int err = 0;
  const int64_t got = ReadSome(f.Handle, buf, bytes, &err);
  if (got < 0) Raise(err);
  actual = got / f.RecSize;
  InOutCheck();
}

void BlockWrite(TFileVar& f, const void* buf, int64_t count, int64_t& actual) {
  actual = 0;
  if (!IsOpen(f) || f.State == TFileState::fmInput) Raise(103);
  const int64_t bytes = RecordBytes(f, count);
  int err = 0;
  const int64_t put = WriteSome(f.Handle, buf, bytes, &err);
  if (put < 0) Raise(err);
  actual = put / f.RecSize;
  InOutCheck();
}

void CloseFile(TFileVar& f) {
  if (!IsOpen(f)) Raise(103);
  const THandle h = f.Handle;
  f.Handle = INVALID_HANDLE_VALUE;
  f.State = TFileState::fmClosed;
  const int code = ClosePlatformFile(h);
  if (code != 0) Raise(code);
  InOutCheck();
}
