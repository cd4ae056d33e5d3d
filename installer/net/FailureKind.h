#pragma once
// Why an install run failed, in the words the failure page uses. The values index the reason texts of the
// skin's string table (kFailureTextBase + kind).
enum FailureKind
{
    FailureNone = 0,
    FailureConnection = 1,    // no connection, or it kept breaking (after the retries)
    FailureServerRefused = 2, // the server answered with an error, or sent us somewhere we refuse to go
    FailureDamaged = 3,       // the download does not match its published digest or its announced size
    FailureDisk = 4,          // the download could not be written (disk full, folder not writable)
    FailurePackage = 5,       // the package could not be run or reported an error
    FailureUnverified = 6,    // neither the vendor's signature nor the published digest vouches for the package
};
