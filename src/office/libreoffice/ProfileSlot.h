#pragma once

#include <QLockFile>
#include <QString>

#include <atomic>
#include <memory>

// A profile of our own for the office, in the user's cache folder. Profiles are numbered; each
// running copy of the program holds one through a lock file, so that two copies never start two
// offices on one profile (the second office would hand its work to the first and quit).
class ProfileSlot
{
public:
    // Takes the first free profile. Throws RuntimeError when none can be had.
    ProfileSlot();

    // Why the folder of the profiles cannot be had (one line), or empty when it is there.
    // Creates it when missing.
    static QString folderProblem();

    QString profileFolder() const { return mFolder; }
    // The office's startup argument naming the profile.
    QString userInstallationArgument() const;
    // The profile folder as the office sees it, a file URL.
    QString profileUrl() const;
    // A new, empty folder for one office's temporary files, beside the profile.
    QString createTempFolder(const QString &name) const;
    // Moves the profile folder aside ("profile-N.set-aside-<time>"), kept as it is, so that the
    // office makes a fresh one, and says so on standard error with the reason given. Once per
    // slot: false when it was done before, or when there is no profile folder to move.
    bool setAside(const QString &reason) const;

private:
    QString mFolder;
    std::unique_ptr<QLockFile> mLock;
    mutable std::atomic<bool> mSetAside = false;
};
