#include <stdio.h>

#define MAX 100

/* 老师提供：读入成绩，以 -1 结束，返回人数 */
int read_scores(int scores[], int max)
{
    int n = 0, x;
    while (n < max && scanf("%d", &x) == 1 && x != -1) {
        scores[n] = x;
        n = n + 1;
    }
    return n;
}

struct stats {
    int count, sum, hi, lo, pass;
    int grades[5];
};

void add_score(struct stats *st, int s)
{
    if (st->count == 0 || s > st->hi) st->hi = s;
    if (st->count == 0 || s < st->lo) st->lo = s;
    st->count++;
    st->sum += s;
    if (s >= 60) st->pass++;
    if (s >= 90) st->grades[0]++;
    else if (s >= 80) st->grades[1]++;
    else if (s >= 70) st->grades[2]++;
    else if (s >= 60) st->grades[3]++;
    else st->grades[4]++;
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    struct stats st = {0, 0, 0, 0, 0, {0, 0, 0, 0, 0}};
    int k;

    for (k = 0; k < n; k++)
        add_score(&st, scores[k]);
    if (st.count == 0) {
        printf("no input\n");
        return 1;
    }
    printf("count: %d\naverage: %.2f\n", st.count, (double)st.sum / st.count);
    printf("high: %d\nlow: %d\npass: %d\n", st.hi, st.lo, st.pass);
    for (k = 0; k < 5; k++)
        printf("grade %c: %d\n", "ABCDF"[k], st.grades[k]);
    return 0;
}
