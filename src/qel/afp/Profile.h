#ifndef QEL_LIB_PROFILE_H
#define QEL_LIB_PROFILE_H

namespace qel
{

// Empty base of the output profiles.
class Profile
{
public:
    Profile() = default;
    virtual ~Profile();
};

} // namespace qel

#endif
